// The TextField, TextFormat and TextSnapshot classes, and the MovieClip
// methods that make and remove text fields.

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <map>

#include "renderers/engine/src/player/text_field.h"
#include "renderers/engine/src/script/internal.h"
#include "renderers/engine/src/script/text_field_object.h"
#include "renderers/engine/src/text/text_layout.h"
#include "renderers/engine/src/utf8.h"

namespace swf {
namespace {

std::string Lower(std::string S) {
  for (char& c : S) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return S;
}

// ---- TextFormat ----

enum FormatMember {
  kFont, kSize, kColor, kUrl, kTarget, kBold, kItalic, kUnderline, kAlign, kLeftMargin, kRightMargin, kIndent,
  kLeading, kBlockIndent, kBullet, kTabStops, kKerning, kLetterSpacing, kFormatMembers
};
constexpr std::array<const char*, kFormatMembers> kFormatNames = {
    "font", "size", "color", "url", "target", "bold", "italic", "underline", "align", "leftMargin", "rightMargin",
    "indent", "leading", "blockIndent", "bullet", "tabStops", "kerning", "letterSpacing"};

// A TextFormat's members: null where unset.
struct FormatData : NativeData {
  FormatData() { values.fill(Value::Null()); }
  std::array<Value, kFormatMembers> values;
  void References(std::vector<Object*>& Out) const override {
    for (const Value& v : values)
      if (v.IsObject()) Out.push_back(v.object());
  }
};

FormatData* FormatOf(const Value& V) {
  return V.IsObject() ? dynamic_cast<FormatData*>(V.object()->data.get()) : nullptr;
}

double Truncated(double N) { return std::isfinite(N) ? std::trunc(N) : 0; }

// How the constructor (Rounded false) and the setters (true) make numbers.
// Setters round halves to even from SWF 8 and truncate before; both clamp
// the side margins at 0, and before SWF 8 the indents and leading too.
Value FormatNumber(NativeCall& C, int Member, const Value& V, bool Setter) {
  if (V.IsUndefined() || V.IsNull()) return Value::Null();
  const double n = C.ToNumber(V);
  if (Member == kColor) {
    const double t = Truncated(n);
    return Value::Number(static_cast<double>(static_cast<uint32_t>(static_cast<int64_t>(std::fmod(t, 4294967296.0)))));
  }
  double r = !Setter ? Truncated(n) : C.runtime.SwfVersion() >= 8 ? (std::isfinite(n) ? std::nearbyint(n) : 0) : Truncated(n);
  const bool clampZero = Setter && (Member == kLeftMargin || Member == kRightMargin ||
                                    (C.runtime.SwfVersion() < 8 && (Member == kIndent || Member == kLeading ||
                                                                    Member == kBlockIndent)));
  if (clampZero) r = std::max(r, 0.0);
  return Value::Number(r + 0.0);  // no negative zero
}

Value FormatValue(NativeCall& C, int Member, const Value& V, bool Setter, const Value& Old) {
  switch (Member) {
    case kFont:
    case kUrl:
    case kTarget: return V.IsUndefined() || V.IsNull() ? Value::Null() : Value::String(C.ToString(V));
    case kBold:
    case kItalic:
    case kUnderline:
    case kBullet:
    case kKerning: return V.IsUndefined() || V.IsNull() ? Value::Null() : Value::Bool(V.ToBoolean());
    case kAlign: {
      if (V.IsUndefined() || V.IsNull()) return Setter ? Old : Value::Null();
      const std::string a = Lower(C.ToString(V));
      if (a == "left" || a == "right" || a == "center" || a == "justify") return Value::String(a);
      return Setter ? Old : Value::Null();
    }
    case kTabStops: return V.IsObject() ? V : Value::Null();
    case kLetterSpacing: return V.IsUndefined() || V.IsNull() ? Value::Null() : Value::Number(C.ToNumber(V));
    default: return FormatNumber(C, Member, V, Setter);
  }
}

Object* NewFormat(ScriptRuntime& R) {
  Object* o = R.NewObject();
  if (Object* proto = R.BuiltinPrototype("TextFormat")) o->prototype = proto;
  o->data = std::make_unique<FormatData>();
  return o;
}

void InstallTextFormat(ScriptRuntime& R) {
  Object* proto = R.NewObject();
  InstallClass(R, "TextFormat", proto, [](NativeCall& C) {
    Object* self = C.ThisObject();
    if (!self) return Value();
    auto data = std::make_unique<FormatData>();
    // new TextFormat(font, size, color, bold, italic, underline, url, target,
    //                align, leftMargin, rightMargin, indent, leading)
    static constexpr int kOrder[] = {kFont, kSize, kColor, kBold, kItalic, kUnderline, kUrl,
                                     kTarget, kAlign, kLeftMargin, kRightMargin, kIndent, kLeading};
    for (size_t i = 0; i < std::size(kOrder) && i < C.args.size(); ++i)
      data->values[kOrder[i]] = FormatValue(C, kOrder[i], C.args[i], false, Value::Null());
    self->data = std::move(data);
    return Value();
  });
  for (int m = 0; m < kFormatMembers; ++m) {
    Object* get = R.NewNative([m](NativeCall& C) {
      FormatData* d = FormatOf(C.thisValue);
      return d ? d->values[m] : Value();
    });
    Object* set = R.NewNative([m](NativeCall& C) {
      if (FormatData* d = FormatOf(C.thisValue)) d->values[m] = FormatValue(C, m, C.Arg(0), true, d->values[m]);
      return Value();
    });
    proto->DefineAccessor(kFormatNames[m], get, set);
  }
  // An estimate of the text's size in the format's device font: the
  // engine measures with the fonts of the field, which a format alone lacks.
  R.Method(proto, "getTextExtent", [](NativeCall& C) {
    FormatData* d = FormatOf(C.thisValue);
    if (!d) return Value();
    const std::u32string text = detail::DecodeUtf8(C.ToString(C.Arg(0)));
    const double size = d->values[kSize].IsNumber() ? std::max(d->values[kSize].number(), 0.0) : 12;
    const double ascent = std::round(size * 1.07), descent = std::round(size * 0.3);
    const double advance = size * 0.55;
    const double width = std::round(advance * static_cast<double>(text.size()));
    const Value wrapAt = C.Arg(1);
    const double wrapWidth = wrapAt.IsUndefined() ? 0 : C.ToNumber(wrapAt);
    double lines = 1, shown = width;
    if (!wrapAt.IsUndefined()) {
      const double box = std::max(wrapWidth - 4, advance);
      if (std::isfinite(box) && width > box) {
        lines = std::ceil(width / box);
        shown = std::round(box);
      }
    }
    Object* o = C.runtime.NewObject();
    o->Set("ascent", Value::Number(ascent));
    o->Set("descent", Value::Number(descent));
    o->Set("width", Value::Number(shown));
    o->Set("height", Value::Number((ascent + descent) * lines));
    o->Set("textFieldHeight", Value::Number((ascent + descent) * lines + 4));
    o->Set("textFieldWidth", Value::Number(wrapAt.IsUndefined() || !std::isfinite(wrapWidth) ? width + 4 : std::round(wrapWidth)));
    return Value::Obj(o);
  });
}

// ---- TextField ----

// What a text field keeps for scripts only (nothing it draws depends on them).
struct FieldScriptData : NativeData {
  std::map<std::string, Value> values;
  void References(std::vector<Object*>& Out) const override {
    for (const auto& [name, v] : values)
      if (v.IsObject()) Out.push_back(v.object());
  }
};

struct ThisField {
  ScriptClip* self = nullptr;
  ScriptTextField* clip = nullptr;
  detail::TextField* field = nullptr;
  Object* vars = nullptr;
};

ThisField FieldOf(NativeCall& C) {
  if (!C.thisValue.IsClip()) return {};
  ScriptClip* c = C.runtime.ResolveTarget(C.clip, C.thisValue.string());
  ScriptTextField* t = c ? AsTextField(c) : nullptr;
  detail::TextField* f = t ? t->Field() : nullptr;
  if (!f) return {};
  return {c, t, f, c->Variables()};
}

Value& ScriptValue(Object* Vars, const std::string& Name, const Value& Default) {
  if (!dynamic_cast<FieldScriptData*>(Vars->data.get())) Vars->data = std::make_unique<FieldScriptData>();
  auto& values = static_cast<FieldScriptData*>(Vars->data.get())->values;
  return values.try_emplace(Name, Default).first->second;
}

double Color(const RGBA& C) { return (C.r << 16) | (C.g << 8) | C.b; }
RGBA ColorFrom(NativeCall& C, const Value& V, uint8_t Alpha = 255) {
  const double n = C.ToNumber(V);
  const auto c = static_cast<uint32_t>(std::isfinite(n) ? static_cast<int64_t>(std::fmod(std::trunc(n), 4294967296.0)) : 0);
  return RGBA{static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c), Alpha};
}

std::string EscapeHtml(const std::string& S) {
  std::string out;
  for (char c : S) {
    if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else if (c == '&') out += "&amp;";
    else out += c;
  }
  return out;
}

// Lines: how many, and the last that shows whole from `scroll`.
struct LinesShown {
  int count = 0, visible = 1;
};
LinesShown Lines(const ThisField& F) {
  const detail::TextField::Extent e = F.field->Measure(F.clip->Fonts());
  LinesShown l;
  l.count = static_cast<int>(e.lineBottoms.size());
  const double room = F.field->field.bounds.Height() - 2 * detail::kTextGutter;
  int fit = 0;
  for (double bottom : e.lineBottoms)
    if (bottom <= room + 1) ++fit;
  l.visible = std::max(fit, 1);
  return l;
}

// How far (pixels) the text reaches past the box's inner width.
int MaxHScroll(const ThisField& F) {
  if (F.field->field.wordWrap) return 0;
  const double room = F.field->field.bounds.Width() - 2 * detail::kTextGutter;
  const double width = F.field->Measure(F.clip->Fonts()).width;
  return static_cast<int>(std::clamp(std::round((width - room) / 20), 0.0, 1e6));
}

using Getter = Value (*)(NativeCall&, ThisField&);
using Setter = void (*)(NativeCall&, ThisField&, const Value&);

struct FieldProperty {
  const char* name;
  Getter get;
  Setter set;  // nullptr: read-only
  int minVersion = 6;
};

#define FLAG_PROPERTY(NAME, EXPR)                                                                  \
  FieldProperty {                                                                                  \
    NAME, [](NativeCall&, ThisField& F) { return Value::Bool(F.field->EXPR); },                     \
        [](NativeCall&, ThisField& F, const Value& V) {                                            \
          F.field->EXPR = V.ToBoolean();                                                           \
          F.field->Changed();                                                                      \
          F.clip->Refit();                                                                         \
        }                                                                                          \
  }

// A value kept for scripts: what was set, or Default.
#define SCRIPT_PROPERTY(NAME, DEFAULT, VERSION)                                                           \
  FieldProperty {                                                                                        \
    NAME, [](NativeCall&, ThisField& F) { return ScriptValue(F.vars, NAME, DEFAULT); },                  \
        [](NativeCall&, ThisField& F, const Value& V) { ScriptValue(F.vars, NAME, DEFAULT) = V; }, VERSION \
  }

// A name kept for scripts: one of the choices the test accepts, others ignored.
#define CHOICE_PROPERTY(NAME, DEFAULT, ACCEPT)                                                    \
  FieldProperty {                                                                                 \
    NAME, [](NativeCall&, ThisField& F) { return ScriptValue(F.vars, NAME, Value::String(DEFAULT)); },      \
        [](NativeCall& C, ThisField& F, const Value& V) {                                         \
          const std::string s = C.ToString(V);                                                    \
          if (ACCEPT) ScriptValue(F.vars, NAME, Value()) = Value::String(s);                      \
        },                                                                                        \
        8                                                                                         \
  }

// A number kept for scripts, as set (DEFAULT until then).
#define NUMBER_PROPERTY(NAME, DEFAULT)                                                                              \
  FieldProperty {                                                                                          \
    NAME, [](NativeCall&, ThisField& F) { return ScriptValue(F.vars, NAME, Value::Number(DEFAULT)); },     \
        [](NativeCall& C, ThisField& F, const Value& V) { ScriptValue(F.vars, NAME, Value()) = Value::Number(C.ToNumber(V)); }, \
        8                                                                                                  \
  }

const char* GridFitName(uint8_t GridFit) { return GridFit == 0 ? "none" : GridFit == 2 ? "subpixel" : "pixel"; }

Value AutoSizeName(detail::TextField::AutoSize A) {
  using A_ = detail::TextField::AutoSize;
  return Value::String(A == A_::Left ? "left" : A == A_::Center ? "center" : A == A_::Right ? "right" : "none");
}

// In the order the player creates them (for..in lists them last first).
const std::vector<FieldProperty>& FieldProperties() {
  static const std::vector<FieldProperty> properties = {
      CHOICE_PROPERTY("gridFitType", GridFitName(F.field->field.gridFit), s == "none" || s == "pixel" || s == "subpixel"),
      CHOICE_PROPERTY("antiAliasType", F.field->field.advancedAntiAlias ? "advanced" : "normal",
                      s == "normal" || s == "advanced"),
      NUMBER_PROPERTY("thickness", F.field->field.thickness),
      NUMBER_PROPERTY("sharpness", F.field->field.sharpness),
      SCRIPT_PROPERTY("filters", Value(), 8),
      {"scroll", [](NativeCall&, ThisField& F) { return Value::Number(F.field->scroll); },
       [](NativeCall& C, ThisField& F, const Value& V) {
         const double n = C.ToNumber(V);
         if (!std::isfinite(n)) return;
         const LinesShown l = Lines(F);
         F.field->scroll = static_cast<int>(std::clamp(n, 1.0, static_cast<double>(std::max(l.count - l.visible + 1, 1))));
       }},
      {"maxscroll",
       [](NativeCall&, ThisField& F) {
         const LinesShown l = Lines(F);
         return Value::Number(std::max(l.count - l.visible + 1, 1));
       },
       nullptr},
      {"borderColor", [](NativeCall&, ThisField& F) { return Value::Number(Color(F.field->borderColor)); },
       [](NativeCall& C, ThisField& F, const Value& V) {
         F.field->borderColor = ColorFrom(C, V);
         F.field->Changed();
       }},
      {"backgroundColor", [](NativeCall&, ThisField& F) { return Value::Number(Color(F.field->backgroundColor)); },
       [](NativeCall& C, ThisField& F, const Value& V) {
         F.field->backgroundColor = ColorFrom(C, V);
         F.field->Changed();
       }},
      {"textColor", [](NativeCall&, ThisField& F) { return Value::Number(Color(F.field->field.color)); },
       [](NativeCall& C, ThisField& F, const Value& V) {
         F.field->field.color = ColorFrom(C, V, F.field->field.color.a);
         F.field->Changed();
       }},
      // tabIndex keeps a whole number from 0 to 2^32 - 1, as a clip's does.
      {"tabIndex", [](NativeCall&, ThisField& F) { return ScriptValue(F.vars, "tabIndex", Value()); },
       [](NativeCall& C, ThisField& F, const Value& V) {
         if (V.IsUndefined()) {
           ScriptValue(F.vars, "tabIndex", Value()) = V;
           return;
         }
         const double n = C.ToNumber(V);
         double r = std::isfinite(n) ? std::fmod(std::trunc(n), 4294967296.0) : 0;
         if (r < 0) r += 4294967296.0;
         ScriptValue(F.vars, "tabIndex", Value()) = Value::Number(r);
       },
       6},
      {"autoSize", [](NativeCall&, ThisField& F) { return AutoSizeName(F.field->autoSize); },
       [](NativeCall& C, ThisField& F, const Value& V) {
         using A = detail::TextField::AutoSize;
         A a = A::None;
         if (V.type() == Value::Type::Boolean) {
           a = V.boolean() ? A::Left : A::None;
         } else if (V.IsString() || V.IsObject()) {
           const std::string s = Lower(C.ToString(V));
           a = s == "left" ? A::Left : s == "center" ? A::Center : s == "right" ? A::Right : A::None;
         }
         F.field->autoSize = a;
         F.clip->Refit();
       }},
      {"text", [](NativeCall&, ThisField& F) { return Value::String(F.field->PlainText()); },
       [](NativeCall& C, ThisField& F, const Value& V) {
         const std::string s = C.ToString(V);
         F.field->SetText(F.field->field.html ? EscapeHtml(s) : s);
         F.clip->Refit();
         // A field bound to a variable shows the variable: it takes the text too.
         ScriptClip* holder = F.self->Parent();
         if (!F.field->field.variableName.empty() && holder)
           C.runtime.SetVariablePath(*holder, F.field->field.variableName, Value::String(s));
       }},
      {"type",
       [](NativeCall&, ThisField& F) { return Value::String(F.field->field.readOnly ? "dynamic" : "input"); },
       [](NativeCall& C, ThisField& F, const Value& V) {
         const std::string s = Lower(C.ToString(V));
         if (s == "input" || s == "dynamic") F.field->field.readOnly = s == "dynamic";
       }},
      {"htmlText",
       [](NativeCall&, ThisField& F) {
         return Value::String(F.field->field.html ? F.field->Text() : F.field->PlainText());
       },
       [](NativeCall& C, ThisField& F, const Value& V) {
         F.field->field.html ? F.field->SetHtmlText(C.ToString(V)) : F.field->SetText(C.ToString(V));
         F.clip->Refit();
       }},
      {"variable",
       [](NativeCall&, ThisField& F) {
         const std::string& v = F.field->field.variableName;
         return v.empty() ? Value::Null() : Value::String(v);
       },
       [](NativeCall& C, ThisField& F, const Value& V) {
         F.field->field.variableName = V.IsUndefined() || V.IsNull() ? std::string() : C.ToString(V);
         F.field->variableBound = false;
       }},
      {"hscroll", [](NativeCall&, ThisField& F) { return Value::Number(F.field->hscroll); },
       [](NativeCall& C, ThisField& F, const Value& V) {
         // As a 32-bit integer (NaN is 0), within what the text leaves to scroll.
         const double n = C.ToNumber(V);
         const double wrapped = std::isfinite(n) ? std::fmod(std::trunc(n), 4294967296.0) : 0;
         const auto i = static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(wrapped)));
         F.field->hscroll = std::clamp(i, 0, MaxHScroll(F));
       }},
      {"maxhscroll", [](NativeCall&, ThisField& F) { return Value::Number(MaxHScroll(F)); }, nullptr},
      {"maxChars",
       [](NativeCall&, ThisField& F) {
         const auto& m = F.field->field.maxLength;
         return m && *m ? Value::Number(*m) : Value::Null();
       },
       [](NativeCall& C, ThisField& F, const Value& V) {
         const double n = C.ToNumber(V);
         if (V.IsNull() || V.IsUndefined() || !std::isfinite(n) || n <= 0)
           F.field->field.maxLength.reset();
         else
           F.field->field.maxLength = static_cast<uint16_t>(std::min(n, 65535.0));
       }},
      {"embedFonts", [](NativeCall&, ThisField& F) { return Value::Bool(F.field->field.useOutlines); },
       [](NativeCall&, ThisField& F, const Value& V) {
         F.field->field.useOutlines = V.ToBoolean();
         F.field->Changed();
       }},
      FLAG_PROPERTY("html", field.html),
      FLAG_PROPERTY("border", field.border),
      FLAG_PROPERTY("background", background),
      FLAG_PROPERTY("wordWrap", field.wordWrap),
      FLAG_PROPERTY("password", field.password),
      FLAG_PROPERTY("multiline", field.multiline),
      {"selectable", [](NativeCall&, ThisField& F) { return Value::Bool(!F.field->field.noSelect); },
       [](NativeCall&, ThisField& F, const Value& V) { F.field->field.noSelect = !V.ToBoolean(); }},
      {"length",
       [](NativeCall&, ThisField& F) {
         return Value::Number(static_cast<double>(detail::DecodeUtf8(F.field->PlainText()).size()));
       },
       nullptr},
      {"bottomScroll",
       [](NativeCall&, ThisField& F) {
         const LinesShown l = Lines(F);
         return Value::Number(std::min(F.field->scroll + l.visible - 1, std::max(l.count, 1)));
       },
       nullptr},
      {"textWidth",
       [](NativeCall&, ThisField& F) { return Value::Number(std::round(F.field->Measure(F.clip->Fonts()).width / 20)); },
       nullptr},
      {"textHeight",
       [](NativeCall&, ThisField& F) { return Value::Number(std::round(F.field->Measure(F.clip->Fonts()).height / 20)); },
       nullptr},
      SCRIPT_PROPERTY("restrict", Value::Null(), 6),
      SCRIPT_PROPERTY("condenseWhite", Value::Bool(false), 6),
      SCRIPT_PROPERTY("mouseWheelEnabled", Value::Bool(true), 7),
      SCRIPT_PROPERTY("styleSheet", Value(), 7),
  };
  return properties;
}

#undef FLAG_PROPERTY
#undef SCRIPT_PROPERTY
#undef CHOICE_PROPERTY
#undef NUMBER_PROPERTY

// The field's own format as a TextFormat.
Object* FieldFormat(NativeCall& C, const ThisField& F) {
  Object* o = NewFormat(C.runtime);
  auto* d = static_cast<FormatData*>(o->data.get());
  const EditText& e = F.field->field;
  const std::string font = F.field->FontName();
  static constexpr const char* kAligns[] = {"left", "right", "center", "justify"};
  d->values[kFont] = Value::String(font.empty() ? "Times New Roman" : font);
  d->values[kSize] = Value::Number(e.fontHeight / 20.0);
  d->values[kColor] = Value::Number(Color(e.color));
  d->values[kBold] = Value::Bool(F.field->Bold());
  d->values[kItalic] = Value::Bool(F.field->Italic());
  d->values[kUnderline] = Value::Bool(false);
  d->values[kUrl] = Value::String("");
  d->values[kTarget] = Value::String("");
  d->values[kAlign] = Value::String(kAligns[std::clamp(static_cast<int>(e.align), 0, 3)]);
  d->values[kLeftMargin] = Value::Number(e.leftMargin / 20.0);
  d->values[kRightMargin] = Value::Number(e.rightMargin / 20.0);
  d->values[kIndent] = Value::Number(e.indent / 20.0);
  d->values[kLeading] = Value::Number(e.leading / 20.0);
  d->values[kBlockIndent] = Value::Number(0);
  d->values[kBullet] = Value::Bool(false);
  d->values[kTabStops] = Value::Obj(C.runtime.NewArray({}));
  d->values[kKerning] = Value::Bool(F.field->kerning);
  d->values[kLetterSpacing] = Value::Number(F.field->letterSpacing / 20);
  return o;
}

// Applies the members a TextFormat sets to the field's own format.
void ApplyFormat(NativeCall& C, ThisField& F, const Value& Format) {
  FormatData* d = FormatOf(Format);
  if (!d) return;
  EditText& e = F.field->field;
  auto twips = [](const Value& V, double Max) { return std::clamp(V.number() * 20, -Max, Max); };
  if (d->values[kFont].IsString()) F.field->SetFontName(d->values[kFont].string());
  if (d->values[kSize].IsNumber()) e.fontHeight = static_cast<uint16_t>(twips(d->values[kSize], 65535) < 0 ? 0 : twips(d->values[kSize], 65535));
  if (d->values[kColor].IsNumber()) e.color = ColorFrom(C, d->values[kColor], e.color.a);
  if (d->values[kAlign].IsString()) {
    const std::string& a = d->values[kAlign].string();
    e.align = a == "right" ? TextAlign::Right : a == "center" ? TextAlign::Center : a == "justify" ? TextAlign::Justify : TextAlign::Left;
  }
  if (d->values[kLeftMargin].IsNumber()) e.leftMargin = static_cast<uint16_t>(std::max(twips(d->values[kLeftMargin], 65535), 0.0));
  if (d->values[kRightMargin].IsNumber()) e.rightMargin = static_cast<uint16_t>(std::max(twips(d->values[kRightMargin], 65535), 0.0));
  if (d->values[kIndent].IsNumber()) e.indent = static_cast<uint16_t>(std::max(twips(d->values[kIndent], 65535), 0.0));
  if (d->values[kLetterSpacing].IsNumber() && std::isfinite(d->values[kLetterSpacing].number()))
    F.field->letterSpacing = twips(d->values[kLetterSpacing], 1e5);
  if (d->values[kKerning].type() == Value::Type::Boolean) F.field->kerning = d->values[kKerning].boolean();
  if (d->values[kLeading].IsNumber()) e.leading = static_cast<int16_t>(twips(d->values[kLeading], 32767));
  F.field->Changed();
  F.clip->Refit();
}

void InstallTextField(ScriptRuntime& R) {
  Object* proto = R.NewObject();
  Object* ctor = InstallClass(R, "TextField", proto, [](NativeCall&) { return Value(); });
  for (const FieldProperty& p : FieldProperties()) {
    if (R.SwfVersion() < p.minVersion) continue;
    const Getter get = p.get;
    const Setter set = p.set;
    Object* getter = R.NewNative([get](NativeCall& C) {
      ThisField f = FieldOf(C);
      return f.field ? get(C, f) : Value();
    });
    Object* setter = R.NewNative([set](NativeCall& C) {
      ThisField f = FieldOf(C);
      if (f.field && set) set(C, f, C.Arg(0));
      return Value();
    });
    proto->DefineAccessor(p.name, getter, setter);
  }
  auto format = [](NativeCall& C) {
    ThisField f = FieldOf(C);
    return f.field ? Value::Obj(FieldFormat(C, f)) : Value();
  };
  R.Method(proto, "getTextFormat", [format](NativeCall& C) {
    Value v = format(C);
    // getTextFormat(begin[, end]) reads the colour the markup gives those characters.
    ThisField f = FieldOf(C);
    if (!f.field || !v.IsObject() || C.args.empty()) return v;
    const double begin = std::max(Truncated(C.ToNumber(C.args[0])), 0.0);
    const double end = C.args.size() > 1 ? Truncated(C.ToNumber(C.args[1])) : begin + 1;
    if (!(begin < end) || begin > 1e9) return v;
    const auto color = f.field->RangeColor(static_cast<size_t>(begin), static_cast<size_t>(std::min(end, 1e9)));
    if (FormatData* d = FormatOf(v); d && color) d->values[kColor] = Value::Number(Color(*color));
    return v;
  });
  // The format new text takes: kerning is its own, not what the markup gives the text.
  R.Method(proto, "getNewTextFormat", [format](NativeCall& C) {
    Value v = format(C);
    ThisField f = FieldOf(C);
    if (FormatData* d = FormatOf(v); d && f.field) d->values[kKerning] = Value::Bool(f.field->newTextKerning);
    return v;
  });
  auto setFormat = [](NativeCall& C) {
    ThisField f = FieldOf(C);
    // setTextFormat([begin, [end,]] format): the format comes last.
    if (f.field && !C.args.empty()) ApplyFormat(C, f, C.args.back());
    return Value();
  };
  R.Method(proto, "setTextFormat", setFormat);
  R.Method(proto, "setNewTextFormat", [setFormat](NativeCall& C) {
    ThisField f = FieldOf(C);
    FormatData* d = f.field && !C.args.empty() ? FormatOf(C.args.back()) : nullptr;
    if (d && d->values[kKerning].type() == Value::Type::Boolean) f.field->newTextKerning = d->values[kKerning].boolean();
    return setFormat(C);
  });
  R.Method(proto, "replaceText", [](NativeCall& C) {
    ThisField f = FieldOf(C);
    if (!f.field || C.args.size() < 3) return Value();
    std::u32string text = detail::DecodeUtf8(f.field->PlainText());
    const double n = static_cast<double>(text.size());
    const double begin = std::clamp(Truncated(C.ToNumber(C.args[0])), 0.0, n);
    const double end = std::clamp(Truncated(C.ToNumber(C.args[1])), begin, n);
    text.replace(static_cast<size_t>(begin), static_cast<size_t>(end - begin), detail::DecodeUtf8(C.ToString(C.args[2])));
    std::string out;
    for (char32_t c : text) {
      ChargeWork(1);
      detail::AppendUtf8(out, c);
    }
    f.field->SetText(f.field->field.html ? EscapeHtml(out) : out);
    f.clip->Refit();
    return Value();
  });
  R.Method(proto, "replaceSel", [](NativeCall& C) {
    // The selection (the caret at 0 in a field never focused) gives way to
    // the text, and the caret follows it.
    ThisField f = FieldOf(C);
    if (!f.field) return Value();
    const std::u32string add = detail::DecodeUtf8(C.ToString(C.Arg(0)));
    std::u32string text = detail::DecodeUtf8(f.field->PlainText());
    const size_t begin = std::min({f.field->selectionAnchor, f.field->selectionCaret, text.size()});
    const size_t end = std::min(std::max(f.field->selectionAnchor, f.field->selectionCaret), text.size());
    text.replace(begin, end - begin, add);
    std::string out;
    for (const char32_t c : text) detail::AppendUtf8(out, c);
    f.field->SetText(f.field->field.html ? EscapeHtml(out) : out);
    f.field->selectionAnchor = f.field->selectionCaret = begin + add.size();
    f.clip->Refit();
    return Value();
  });
  R.Method(proto, "removeTextField", [](NativeCall& C) {
    ThisField f = FieldOf(C);
    if (f.field) f.clip->RemoveField();
    return Value();
  });
  R.Method(proto, "getDepth", [](NativeCall& C) {
    ThisField f = FieldOf(C);
    return f.field ? Value::Number(f.clip->FieldDepth()) : Value();
  });
  // Listeners hear of changes a user makes; scripts' own changes tell none.
  R.Method(proto, "addListener", [](NativeCall& C) {
    ThisField f = FieldOf(C);
    if (!f.field) return Value::Bool(false);
    Value& list = ScriptValue(f.vars, "listeners", Value());
    if (!list.IsObject()) list = Value::Obj(C.runtime.NewArray({}));
    Object* a = list.object();
    a->Set(NumberToString(ArrayLength(*a)), C.Arg(0));
    return Value::Bool(true);
  });
  R.Method(proto, "removeListener", [](NativeCall& C) {
    ThisField f = FieldOf(C);
    if (!f.field) return Value::Bool(false);
    Value& list = ScriptValue(f.vars, "listeners", Value());
    if (!list.IsObject()) return Value::Bool(false);
    Object* a = list.object();
    const double n = ArrayLength(*a);
    std::vector<Value> kept;
    bool removed = false;
    for (double i = 0; i < n; ++i) {
      ChargeWork(1);
      const Value v = a->Get(NumberToString(i));
      if (!removed && v == C.Arg(0)) removed = true;
      else kept.push_back(v);
    }
    list = Value::Obj(C.runtime.NewArray(kept));
    return Value::Bool(removed);
  });
  InstallStyleSheet(R, ctor);
  R.Method(ctor, "getFontList", [](NativeCall& C) {
    return Value::Obj(C.runtime.NewArray({Value::String("_sans"), Value::String("_serif"), Value::String("_typewriter")}));
  });

  // MovieClip.createTextField(name, depth, x, y, width, height).
  Object* clipProto = R.BuiltinPrototype("MovieClip");
  R.Method(clipProto, "createTextField", [](NativeCall& C) {
    if (C.args.size() < 6) return Value();
    // Called as a plain function, it makes the field in the calling clip.
    ScriptClip* clip = C.thisValue.IsClip() ? C.runtime.ResolveTarget(C.clip, C.thisValue.string()) : &C.clip;
    if (!clip || clip->IsTextField()) return Value();
    const std::string name = C.ToString(C.args[0]);
    const double depth = C.ToNumber(C.args[1]);
    ScriptClip* field = clip->CreateTextField(name, std::isfinite(depth) ? static_cast<int>(std::clamp(depth, -1e6, 1e6)) : 0,
                                              C.ToNumber(C.args[2]), C.ToNumber(C.args[3]), C.ToNumber(C.args[4]),
                                              C.ToNumber(C.args[5]));
    if (!field || C.runtime.SwfVersion() < 8) return Value();
    return Value::ClipPath(field->TargetPath());
  });
}

// ---- TextSnapshot ----

// The static text of a clip, taken when the snapshot is made.
struct SnapshotData : NativeData {
  std::u32string text;
};

SnapshotData* SnapshotOf(NativeCall& C) {
  Object* o = C.ThisObject();
  return o ? dynamic_cast<SnapshotData*>(o->data.get()) : nullptr;
}

char32_t Folded(char32_t C) { return C < 128 ? static_cast<char32_t>(std::tolower(static_cast<int>(C))) : C; }

void InstallTextSnapshot(ScriptRuntime& R) {
  Object* proto = R.NewObject();
  InstallClass(R, "TextSnapshot", proto, [](NativeCall& C) {
    Object* self = C.ThisObject();
    const Value target = C.Arg(0);
    if (!self || !target.IsClip()) return Value();
    ScriptClip* clip = C.runtime.ResolveTarget(C.clip, target.string());
    auto data = std::make_unique<SnapshotData>();
    if (clip) data->text = detail::DecodeUtf8(clip->StaticText());
    self->data = std::move(data);
    return Value();
  });
  // The player lists these methods in for..in.
  R.Method(proto, "getCount", [](NativeCall& C) {
    SnapshotData* d = SnapshotOf(C);
    return d && C.args.empty() ? Value::Number(static_cast<double>(d->text.size())) : Value();
  }, 0);
  R.Method(proto, "setSelected", [](NativeCall&) { return Value(); }, 0);
  R.Method(proto, "getSelected", [](NativeCall& C) { return SnapshotOf(C) ? Value::Bool(false) : Value(); }, 0);
  R.Method(proto, "getText", [](NativeCall& C) {
    SnapshotData* d = SnapshotOf(C);
    if (!d || C.args.size() < 2) return Value();
    const double n = static_cast<double>(d->text.size());
    const double from = std::clamp(Truncated(C.ToNumber(C.args[0])), 0.0, n);
    const double to = std::clamp(Truncated(C.ToNumber(C.args[1])), from, n);
    std::string out;
    for (size_t i = static_cast<size_t>(from); i < static_cast<size_t>(to); ++i) detail::AppendUtf8(out, d->text[i]);
    return Value::String(out);
  }, 0);
  R.Method(proto, "getSelectedText", [](NativeCall& C) { return SnapshotOf(C) ? Value::String("") : Value(); }, 0);
  R.Method(proto, "hitTestTextNearPos", [](NativeCall& C) { return SnapshotOf(C) ? Value::Number(-1) : Value(); }, 0);
  // findText(start, text, caseSensitive): where text is found from start, or -1.
  R.Method(proto, "findText", [](NativeCall& C) {
    SnapshotData* d = SnapshotOf(C);
    if (!d || C.args.size() != 3) return Value();
    const double start = Truncated(C.ToNumber(C.args[0]));
    const std::u32string needle = detail::DecodeUtf8(C.ToString(C.args[1]));
    const bool exact = C.args[2].ToBoolean();
    const std::u32string& hay = d->text;
    if (needle.empty() || start < 0 || start >= static_cast<double>(hay.size())) return Value::Number(-1);
    for (size_t i = static_cast<size_t>(start); i + needle.size() <= hay.size(); ++i) {
      ChargeWork(needle.size());
      size_t k = 0;
      while (k < needle.size() && (exact ? hay[i + k] == needle[k] : Folded(hay[i + k]) == Folded(needle[k]))) ++k;
      if (k == needle.size()) return Value::Number(static_cast<double>(i));
    }
    return Value::Number(-1);
  }, 0);
  R.Method(proto, "setSelectColor", [](NativeCall&) { return Value(); }, 0);
  R.Method(proto, "getTextRunInfo", [](NativeCall&) { return Value(); }, 0);
  // MovieClip.getTextSnapshot(): a snapshot of the clip's static text.
  R.Method(R.BuiltinPrototype("MovieClip"), "getTextSnapshot", [](NativeCall& C) {
    ScriptClip* clip = C.thisValue.IsClip() ? C.runtime.ResolveTarget(C.clip, C.thisValue.string()) : nullptr;
    if (!clip) return Value();
    Object* o = C.runtime.NewObject();
    o->prototype = C.runtime.BuiltinPrototype("TextSnapshot");
    auto data = std::make_unique<SnapshotData>();
    data->text = detail::DecodeUtf8(clip->StaticText());
    o->data = std::move(data);
    return Value::Obj(o);
  });
}

}  // namespace

void InstallTextClasses(ScriptRuntime& R) {
  InstallTextFormat(R);
  if (R.SwfVersion() >= 6) InstallTextSnapshot(R);
  InstallTextField(R);
}

}  // namespace swf
