// The Math object. Its functions convert the first two arguments to numbers
// whatever they take (the player calls valueOf on both), and Math.min and
// Math.max compare exactly two: with one argument the other is undefined,
// so the answer is NaN.

#include <cmath>
#include <iterator>
#include <random>

#include "renderers/engine/src/script/internal.h"

namespace swf {
namespace {

struct Operands {
  double a = NAN, b = NAN;
  size_t count = 0;
};

Operands Convert(NativeCall& C) {
  Operands o;
  o.count = C.args.size();
  if (o.count > 0) o.a = C.ToNumber(C.args[0]);
  if (o.count > 1) o.b = C.ToNumber(C.args[1]);
  return o;
}

void Unary(ScriptRuntime& R, Object* M, const char* Name, double (*F)(double)) {
  R.Method(M, Name, [F](NativeCall& C) { return Value::Number(F(Convert(C).a)); });
}

void Binary(ScriptRuntime& R, Object* M, const char* Name, double (*F)(double, double)) {
  R.Method(M, Name, [F](NativeCall& C) {
    Operands o = Convert(C);
    return Value::Number(F(o.a, o.b));
  });
}

double Round(double V) { return std::floor(V + 0.5); }
double Abs(double V) { return std::fabs(V); }
double Min(double A, double B) { return std::isnan(A) || std::isnan(B) ? NAN : A < B ? A : B; }
double Max(double A, double B) { return std::isnan(A) || std::isnan(B) ? NAN : A > B ? A : B; }

// Math's functions by their number in the player's native table 200.
const char* const kNativeOrder[] = {"abs",   "min",    "max",   "sin",  "cos",  "atan2","tan",  "exp",  "log",
                                    "sqrt",  "round",  "random", "floor", "ceil", "atan", "asin", "acos", "pow"};

}  // namespace

Value MathNative(ScriptRuntime& R, double Index) {
  Object* m = R.BuiltinPrototype("Math");
  if (m && Index >= 0 && Index < static_cast<double>(std::size(kNativeOrder))) {
    Value fn = m->Get(kNativeOrder[static_cast<size_t>(Index)]);
    if (fn.IsFunction()) return fn;
  }
  // A number the table does not have: the player converts the arguments and answers NaN.
  return Value::Obj(R.NewNative([](NativeCall& C) {
    Convert(C);
    return Value::Number(NAN);
  }));
}

void InstallMath(ScriptRuntime& R) {
  Object* m = R.NewObject();
  R.SetBuiltinPrototype("Math", m);  // kept for ASnative(200, n) whatever a movie does to _global.Math
  R.Global()->Define("Math", Value::Obj(m), kDontEnum);
  constexpr uint8_t kConstant = kDontEnum | kDontDelete | kReadOnly;
  m->Define("E", Value::Number(2.718281828459045), kConstant);
  m->Define("LN10", Value::Number(2.302585092994046), kConstant);
  m->Define("LN2", Value::Number(0.6931471805599453), kConstant);
  m->Define("LOG10E", Value::Number(0.4342944819032518), kConstant);
  m->Define("LOG2E", Value::Number(1.4426950408889634), kConstant);
  m->Define("PI", Value::Number(3.141592653589793), kConstant);
  m->Define("SQRT1_2", Value::Number(0.7071067811865476), kConstant);
  m->Define("SQRT2", Value::Number(1.4142135623730951), kConstant);
  Unary(R, m, "abs", Abs);
  Unary(R, m, "acos", [](double V) { return std::acos(V); });
  Unary(R, m, "asin", [](double V) { return std::asin(V); });
  Unary(R, m, "atan", [](double V) { return std::atan(V); });
  Unary(R, m, "ceil", [](double V) { return std::ceil(V); });
  Unary(R, m, "cos", [](double V) { return std::cos(V); });
  Unary(R, m, "exp", [](double V) { return std::exp(V); });
  Unary(R, m, "floor", [](double V) { return std::floor(V); });
  Unary(R, m, "log", [](double V) { return std::log(V); });
  Unary(R, m, "round", Round);
  Unary(R, m, "sin", [](double V) { return std::sin(V); });
  Unary(R, m, "sqrt", [](double V) { return std::sqrt(V); });
  Unary(R, m, "tan", [](double V) { return std::tan(V); });
  Binary(R, m, "atan2", [](double Y, double X) { return std::atan2(Y, X); });
  Binary(R, m, "pow", [](double X, double Y) { return std::pow(X, Y); });
  R.Method(m, "min", [](NativeCall& C) {
    Operands o = Convert(C);
    return Value::Number(o.count == 0 ? INFINITY : Min(o.a, o.b));
  });
  R.Method(m, "max", [](NativeCall& C) {
    Operands o = Convert(C);
    return Value::Number(o.count == 0 ? -INFINITY : Max(o.a, o.b));
  });
  R.Method(m, "random", [](NativeCall& C) {
    Convert(C);
    static thread_local std::minstd_rand generator(0x2545F491u);
    // minstd gives 1 .. 2^31 - 2: the result is in [0, 1).
    return Value::Number(static_cast<double>(generator() - 1) / 2147483646.0);
  });
}

}  // namespace swf
