#pragma once
// The texts a movie and its host exchange through ExternalInterface. Portable.
//
// - The invoke request: what a host hands the movie to call one of the
//   movie's registered functions ("<invoke name=\"f\" returntype=\"xml\">
//   <arguments>...</arguments></invoke>").
// - The XML value text: one value as "<string>..</string>", "<number>5</number>",
//   "<true/>", "<false/>", "<null/>", "<undefined/>", "<array>" or "<object>"
//   with "<property id=\"..\">" children. Arguments of a request, the movie's
//   answer to a request and the host's answer to a movie's call use it.
// - The call script: the script text a plug-in hands its browser when the
//   movie calls a page function ("try { __flash__toXML(f(\"a\",5)) ; } catch
//   (e) { \"<undefined/>\"; }").
//
// Values are plain data (ExternalValue), independent of the script
// interpreter; the player converts between the two.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "renderers/engine/model.h"  // FormatError

namespace swf {

// Arrays and objects nest at most this deep in a text the parsers accept, and
// the encoders refuse deeper values (FormatError).
inline constexpr size_t kMaxExternalDepth = 64;

struct ExternalProperty;

struct ExternalValue {
  enum class Kind { Undefined, Null, Boolean, Number, String, Array, Object };

  Kind kind = Kind::Undefined;
  bool boolean = false;
  double number = 0;
  std::string string;                                          // UTF-8 bytes
  std::vector<ExternalValue> array;                            // index order
  std::vector<ExternalProperty> object;                        // property order, names unique

  static ExternalValue Undefined();
  static ExternalValue Null();
  static ExternalValue Boolean(bool Value);
  static ExternalValue Number(double Value);
  static ExternalValue String(std::string Value);
  static ExternalValue Array(std::vector<ExternalValue> Items);
  // A name given twice keeps its first place and its last value.
  static ExternalValue Object(std::vector<ExternalProperty> Properties);

  // Sets a property of an object value: replaces the value of an existing name
  // (keeping its place), or appends a new one.
  void SetProperty(const std::string& Name, ExternalValue Value);

  // Same kind and same contents; NaN equals NaN here (a value read back from
  // its own text compares equal), and 0 equals -0.
  friend bool operator==(const ExternalValue& A, const ExternalValue& B);
};

struct ExternalProperty {
  std::string name;
  ExternalValue value;
  friend bool operator==(const ExternalProperty&, const ExternalProperty&) = default;
};

// A number as ActionScript prints it: "5", "-3", "0.5", "1e+21", "1.5e-7",
// "NaN", "Infinity", "-Infinity". Up to 15 significant digits; the exponent
// form for magnitudes from 1e15 and below 1e-5.
std::string FormatExternalNumber(double Value);

// ---- XML value text ----

// The value's XML text. Strings escape &, < and > (&amp; &lt; &gt;);
// property ids also escape the double quote. Throws FormatError for a value
// nested deeper than kMaxExternalDepth.
std::string EncodeExternalValue(const ExternalValue& Value);

// Reads one value element, optionally surrounded by whitespace, and nothing
// else. Throws FormatError naming what is wrong and its offset in Text.
ExternalValue DecodeExternalValue(std::string_view Text);

// The host's answer to a movie's call, as the movie sees it: an empty (or
// all-whitespace) answer is undefined (the host gave none); a valid value text
// is that value; any other text reaches the movie as a string holding the text
// unchanged, so a host that answers with plain text ("ok", "42") is still
// heard. Never throws for malformed text.
ExternalValue DecodeExternalAnswer(std::string_view Text);

// ---- Invoke request ----

struct InvokeRequest {
  std::string name;
  std::string returnType;  // as written ("xml", "XML", ...); empty when absent
  std::vector<ExternalValue> arguments;
};

// Reads "<invoke name=.. returntype=..><arguments>VALUES</arguments></invoke>".
// Attributes in either order and quoted with " or '; unknown attributes are
// ignored; "<arguments/>" or no arguments element means no arguments; an XML
// declaration may come first; whitespace between elements is skipped. Throws
// FormatError naming what is wrong and its offset in Text.
InvokeRequest ParseInvokeRequest(std::string_view Text);

// The request text for calling Name with Arguments, on one line with nothing
// between the elements; Name is escaped as an attribute value.
std::string BuildInvokeRequest(std::string_view Name, const std::vector<ExternalValue>& Arguments,
                               std::string_view ReturnType = "xml");

// ---- Call script ----

// The script a plug-in hands its browser for a movie's call of Name:
// "try { __flash__toXML(NAME(ARGS)) ; } catch (e) { \"<undefined/>\"; }", the
// arguments as script literals separated by ",": strings in double quotes
// with \" \\ and control characters (\n, \r, \t, \uXXXX) escaped, numbers as
// FormatExternalNumber prints them, true, false, null, undefined, arrays as
// [..] and objects as {"name":..}. Name is inserted as it is (it is a script
// expression naming the function).
std::string BuildExternalCallScript(std::string_view Name, const std::vector<ExternalValue>& Arguments);

}  // namespace swf
