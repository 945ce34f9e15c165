#pragma once
// The control's persistent properties and their saved form: a small
// versioned record of tagged fields.
//
//   "VTFC"  u16 version (1)  u32 payload bytes  payload
//   payload: fields, each u16 tag, u8 type (0 int32, 1 bool, 2 string),
//            then the value: int32 and bool little-endian (bool one byte),
//            string u32 count of UTF-16 units and the units.
//
// Unknown tags are skipped (a newer writer may add fields); a known tag with
// the wrong type, a truncated field or a string longer than its payload
// fails the whole record.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace flashctl {

struct ControlProperties {
  std::wstring movie, wmode = L"Window", salign, base, scale = L"ShowAll", bgcolor, quality2 = L"High",
                      swremote, flashVars, allowScriptAccess = L"sameDomain", movieData, profileAddress,
                      allowNetworking = L"all", allowFullScreen = L"false";
  bool loop = true, playing = true, menu = true, deviceFont = false, embedMovie = false, seamlessTabbing = true,
       profile = false;
  int32_t quality = 1, scaleMode = 0, alignMode = 0, profilePort = 0;
  int32_t extentX = 8467, extentY = 6350;  // HIMETRIC: 320 x 240 pixels at 96 dpi
};

inline constexpr uint16_t kPropertiesVersion = 1;
inline constexpr size_t kPropertiesHeaderBytes = 10;
// A record whose payload claims more than this is refused before reading it.
inline constexpr uint32_t kMaxPropertiesPayload = 16u << 20;

// "#RRGGBB" (BGColor) as 0xRRGGBB; nullopt for anything else.
std::optional<uint32_t> ParseColor(const std::wstring& Text);

std::vector<uint8_t> SaveProperties(const ControlProperties& P);
// The payload size a header announces; nullopt for a header that is not ours
// (wrong magic, a version from the future, a payload over the limit).
std::optional<uint32_t> PayloadSize(const uint8_t (&Header)[kPropertiesHeaderBytes]);
// The properties of a payload, starting from the defaults; nullopt when malformed.
std::optional<ControlProperties> LoadProperties(const std::vector<uint8_t>& Payload);

}  // namespace flashctl
