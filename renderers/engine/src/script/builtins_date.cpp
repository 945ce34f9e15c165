// The Date class: a time in milliseconds since 1970 (UTC), read and set in
// local time (through the host's offset, UTC unless it says otherwise) or
// in UTC, and the host's clock.

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "renderers/engine/src/script/internal.h"

namespace swf {

double ScriptHost::Now() {
  using namespace std::chrono;
  return static_cast<double>(duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
}

namespace {

constexpr double kMsPerDay = 86400000;
constexpr double kMaxTime = 8.64e15;  // 100 million days either side of 1970

class DateData : public NativeData {
 public:
  explicit DateData(double T) : time(T) {}
  double time;
};

double Clip(double T) { return std::isfinite(T) && std::abs(T) <= kMaxTime ? std::trunc(T) + 0.0 : NAN; }

// Days from 1970-01-01 to the first of a month of a year (proleptic Gregorian).
double DaysFromCivil(double Y, double M) {
  Y += std::floor(M / 12);
  M = std::fmod(M, 12);
  if (M < 0) M += 12;
  const double y = M < 2 ? Y - 1 : Y;
  const double era = std::floor(y / 400);
  const double yoe = y - era * 400;
  const double mp = M < 2 ? M + 10 : M - 2;  // months from March
  const double doy = std::floor((153 * mp + 2) / 5);
  const double doe = yoe * 365 + std::floor(yoe / 4) - std::floor(yoe / 100) + doy;
  return era * 146097 + doe - 719468;
}

// The fields of a time: year, month (0-11), date (1-31), hours, minutes, seconds, milliseconds.
using Fields = std::array<double, 7>;

Fields Split(double T) {
  double days = std::floor(T / kMsPerDay);
  double ms = T - days * kMsPerDay;
  // The civil date of a day count.
  double z = days + 719468;
  double era = std::floor(z / 146097);
  double doe = z - era * 146097;
  double yoe = std::floor((doe - std::floor(doe / 1460) + std::floor(doe / 36524) - std::floor(doe / 146096)) / 365);
  double doy = doe - (365 * yoe + std::floor(yoe / 4) - std::floor(yoe / 100));
  double mp = std::floor((5 * doy + 2) / 153);
  double d = doy - std::floor((153 * mp + 2) / 5) + 1;
  double m = mp < 10 ? mp + 3 : mp - 9;
  double y = yoe + era * 400 + (m <= 2 ? 1 : 0);
  return {y, m - 1, d, std::floor(ms / 3600000), std::fmod(std::floor(ms / 60000), 60), std::fmod(std::floor(ms / 1000), 60),
          std::fmod(ms, 1000)};
}

double Join(const Fields& F) {
  for (double f : F)
    if (!std::isfinite(f)) return NAN;
  double days = DaysFromCivil(std::trunc(F[0]), std::trunc(F[1])) + std::trunc(F[2]) - 1;
  return days * kMsPerDay + std::trunc(F[3]) * 3600000 + std::trunc(F[4]) * 60000 + std::trunc(F[5]) * 1000 + std::trunc(F[6]);
}

double LocalOffset(NativeCall& C, double Utc) {
  double o = C.host.LocalTimeOffsetMs(Utc);
  return std::isfinite(o) ? o : 0;
}

DateData* DateOf(NativeCall& C) {
  Object* o = C.ThisObject();
  return o && o->data ? dynamic_cast<DateData*>(o->data.get()) : nullptr;
}

// The time of fields in local time, as UTC.
double FromLocal(NativeCall& C, const Fields& F) {
  double local = Join(F);
  return std::isnan(local) ? NAN : Clip(local - LocalOffset(C, local));
}

// Years 0 to 99 mean 1900 to 1999 in the constructor, Date.UTC and setYear.
double FullYear(double Y) { return Y >= 0 && Y < 100 ? 1900 + std::trunc(Y) : Y; }

// The fields a list of arguments gives from the year on (month 0, date 1, the rest 0 unless given).
Fields FieldsOf(NativeCall& C) {
  Fields f{0, 0, 1, 0, 0, 0, 0};
  for (size_t i = 0; i < f.size() && i < C.args.size(); ++i) f[i] = C.ToNumber(C.args[i]);
  f[0] = FullYear(f[0]);
  return f;
}

std::string Two(double V) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", static_cast<int>(V));
  return buf;
}

std::string DateText(NativeCall& C, double T) {
  if (std::isnan(T)) return "Invalid Date";
  static const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  double offset = LocalOffset(C, T);
  double local = T + offset;
  Fields f = Split(local);
  double weekday = std::fmod(std::floor(local / kMsPerDay) + 4, 7);
  if (weekday < 0) weekday += 7;
  double minutes = std::round(std::abs(offset) / 60000);
  std::string zone = std::string(offset < 0 ? "-" : "+") + Two(std::floor(minutes / 60)) + Two(std::fmod(minutes, 60));
  return std::string(days[static_cast<int>(weekday)]) + " " + months[static_cast<int>(f[1])] + " " +
         NumberToString(f[2]) + " " + Two(f[3]) + ":" + Two(f[4]) + ":" + Two(f[5]) + " GMT" + zone + " " +
         NumberToString(f[0]);
}

// A getter of one field (or the weekday, Field 7), in local time or UTC.
NativeFunction Getter(int Field, bool Utc, double Bias = 0) {
  return [=](NativeCall& C) {
    DateData* d = DateOf(C);
    if (!d || std::isnan(d->time)) return Value::Number(NAN);
    double t = Utc ? d->time : d->time + LocalOffset(C, d->time);
    if (Field == 7) {
      double w = std::fmod(std::floor(t / kMsPerDay) + 4, 7);
      return Value::Number(w < 0 ? w + 7 : w);
    }
    return Value::Number(Split(t)[static_cast<size_t>(Field)] + Bias);
  };
}

// A setter of up to Count fields from Field on, in local time or UTC.
NativeFunction Setter(int Field, int Count, bool Utc, bool ShortYear = false) {
  return [=](NativeCall& C) {
    DateData* d = DateOf(C);
    if (!d) return Value::Number(NAN);
    if (C.args.empty()) {
      d->time = NAN;
      return Value::Number(NAN);
    }
    double base = std::isnan(d->time) ? (Field == 0 ? 0 : NAN) : d->time;
    if (std::isnan(base)) return Value::Number(NAN);
    Fields f = Split(Utc ? base : base + LocalOffset(C, base));
    for (int i = 0; i < Count && static_cast<size_t>(i) < C.args.size(); ++i)
      f[static_cast<size_t>(Field + i)] = C.ToNumber(C.args[static_cast<size_t>(i)]);
    if (ShortYear) f[0] = FullYear(f[0]);
    d->time = Utc ? Clip(Join(f)) : FromLocal(C, f);
    return Value::Number(d->time);
  };
}

void InstallMethods(ScriptRuntime& R, Object* P) {
  const char* names[] = {"FullYear", "Month", "Date", "Hours", "Minutes", "Seconds", "Milliseconds"};
  for (int i = 0; i < 7; ++i) {
    std::string n = names[i];
    R.Method(P, "get" + n, Getter(i, false));
    R.Method(P, "getUTC" + n, Getter(i, true));
    R.Method(P, "set" + n, Setter(i, i == 0 ? 3 : i == 1 ? 2 : i == 2 ? 1 : 7 - i, false));
    R.Method(P, "setUTC" + n, Setter(i, i == 0 ? 3 : i == 1 ? 2 : i == 2 ? 1 : 7 - i, true));
  }
  R.Method(P, "getDay", Getter(7, false));
  R.Method(P, "getUTCDay", Getter(7, true));
  R.Method(P, "getYear", Getter(0, false, -1900));
  R.Method(P, "getUTCYear", Getter(0, true, -1900));
  R.Method(P, "setYear", Setter(0, 3, false, true));
  R.Method(P, "getTime", [](NativeCall& C) {
    DateData* d = DateOf(C);
    return Value::Number(d ? d->time : NAN);
  });
  R.Method(P, "valueOf", [](NativeCall& C) {
    DateData* d = DateOf(C);
    return Value::Number(d ? d->time : NAN);
  });
  R.Method(P, "setTime", [](NativeCall& C) {
    DateData* d = DateOf(C);
    if (!d) return Value::Number(NAN);
    d->time = Clip(C.ToNumber(C.Arg(0)));
    return Value::Number(d->time);
  });
  R.Method(P, "getTimezoneOffset", [](NativeCall& C) {
    DateData* d = DateOf(C);
    double t = d && !std::isnan(d->time) ? d->time : C.host.Now();
    return Value::Number(-LocalOffset(C, t) / 60000);
  });
  R.Method(P, "toString", [](NativeCall& C) {
    DateData* d = DateOf(C);
    return Value::String(d ? DateText(C, d->time) : "Invalid Date");
  });
}

}  // namespace

bool IsDateObject(const Object& O) { return dynamic_cast<const DateData*>(O.data.get()) != nullptr; }

void InstallDate(ScriptRuntime& R) {
  Object* proto = R.NewObject();
  Object* ctor = InstallClass(R, "Date", proto, [](NativeCall& C) {
    double t;
    if (C.args.empty() || C.Arg(0).IsUndefined()) {
      t = std::trunc(C.host.Now());
    } else if (C.args.size() == 1) {
      t = Clip(C.ToNumber(C.args[0]));
    } else {
      t = FromLocal(C, FieldsOf(C));
    }
    Object* self = C.ThisObject();
    // Called as a function (no new object to fill): the time as text.
    if (!self || self == C.runtime.Global() || self->IsFunction()) return Value::String(DateText(C, t));
    self->data = std::make_unique<DateData>(t);
    return C.thisValue;
  });
  R.Method(ctor, "UTC", [](NativeCall& C) {
    if (C.args.size() < 2) return Value::Number(NAN);
    return Value::Number(Clip(Join(FieldsOf(C))));
  });
  InstallMethods(R, proto);
}

}  // namespace swf
