// Variant conversions for the scriptable object.
#include "renderers/npswf/script_values.h"

#include <cmath>
#include <cstdlib>
#include <string_view>

#include "renderers/ansitext/ansi_text.h"
#include "renderers/engine/external.h"
#include "renderers/npswf/browser.h"

namespace npswf {

using swfwin::AnsiToUtf8;
using swfwin::Utf8ToAnsi;
namespace {

std::string_view StringOf(const NPVariant& V) {
  const NPString& s = V.value.stringValue;
  if (!s.UTF8Characters) return {};
  return std::string_view(s.UTF8Characters, s.UTF8Length);
}

int32_t ClampToInt(double D, int32_t Fallback) {
  if (!std::isfinite(D)) return Fallback;
  if (D >= 2147483647.0) return INT32_MAX;
  if (D <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(D);
}

}  // namespace

int32_t VariantToInt(const NPVariant& V, int32_t Fallback) {
  switch (V.type) {
    case NPVariantType_Int32: return V.value.intValue;
    case NPVariantType_Double: return ClampToInt(V.value.doubleValue, Fallback);
    case NPVariantType_Bool: return V.value.boolValue ? 1 : 0;
    case NPVariantType_String: {
      const std::string text(StringOf(V));
      const char* begin = text.c_str();
      char* end = nullptr;
      const double d = std::strtod(begin, &end);
      if (end == begin) return Fallback;
      while (*end == ' ') ++end;
      return *end ? Fallback : ClampToInt(d, Fallback);
    }
    default: return Fallback;
  }
}

std::string VariantToText(const NPVariant& V) {
  switch (V.type) {
    case NPVariantType_String: return AnsiToUtf8(StringOf(V));
    case NPVariantType_Int32: return std::to_string(V.value.intValue);
    case NPVariantType_Double: return swf::FormatExternalNumber(V.value.doubleValue);
    case NPVariantType_Bool: return V.value.boolValue ? "true" : "false";
    default: return {};
  }
}

bool VariantToBool(const NPVariant& V) {
  switch (V.type) {
    case NPVariantType_Bool: return V.value.boolValue;
    case NPVariantType_Int32: return V.value.intValue != 0;
    case NPVariantType_Double: return V.value.doubleValue != 0 && !std::isnan(V.value.doubleValue);
    case NPVariantType_String: {
      const std::string_view s = StringOf(V);
      return s == "true" || s == "1";
    }
    default: return false;
  }
}

void SetVoid(NPVariant* Result) {
  if (!Result) return;
  Result->type = NPVariantType_Void;
  Result->value.objectValue = nullptr;
}

void SetBool(NPVariant* Result, bool Value) {
  if (!Result) return;
  Result->type = NPVariantType_Bool;
  Result->value.boolValue = Value;
}

void SetInt(NPVariant* Result, int32_t Value) {
  if (!Result) return;
  Result->type = NPVariantType_Int32;
  Result->value.intValue = Value;
}

void SetText(NPVariant* Result, const std::string& Utf8) {
  if (!Result) return;
  const std::string ansi = Utf8ToAnsi(Utf8);
  char* block = browser::MemDup(ansi);
  if (!block) {
    SetVoid(Result);
    return;
  }
  Result->type = NPVariantType_String;
  Result->value.stringValue.UTF8Characters = block;
  Result->value.stringValue.UTF8Length = static_cast<uint32_t>(ansi.size());
}

}  // namespace npswf
