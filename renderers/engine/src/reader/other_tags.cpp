// Tags the engine reads but does not draw: initialising actions, sounds
// (checked, not played), a button's colour transform, script limits, scene
// and frame label data, and tags about the file itself.
#include "renderers/engine/src/reader/other_tags.h"

#include <algorithm>
#include <string>
#include <variant>

#include "renderers/engine/src/tag_codes.h"

namespace swf::detail {
namespace {

// SOUNDINFO: how a sound starts; read to check it is whole.
void SkipSoundInfo(Stream& S) {
  const uint8_t flags = S.U8();
  if (flags & 0x01) S.U32();  // in point
  if (flags & 0x02) S.U32();  // out point
  if (flags & 0x04) S.U16();  // loop count
  if (flags & 0x08) {
    const uint8_t points = S.U8();
    S.Skip(size_t{points} * 8);  // envelope: position, left and right levels
  }
}

// A variable-length unsigned number of up to 5 bytes, 7 bits in each.
uint32_t EncodedU32(Stream& S) {
  uint32_t v = 0;
  for (int shift = 0; shift < 35; shift += 7) {
    const uint8_t b = S.U8();
    v |= static_cast<uint32_t>(b & 0x7F) << shift;
    if (!(b & 0x80)) break;
  }
  return v;
}

void ReadSceneLabels(Stream& S, LoadState& L) {
  const size_t at = S.Offset();
  const uint32_t scenes = EncodedU32(S);
  for (uint32_t i = 0; i < scenes; ++i) {
    EncodedU32(S);  // the scene's first frame
    S.String();     // its name: scenes are not modelled
  }
  const uint32_t labels = EncodedU32(S);
  for (uint32_t i = 0; i < labels; ++i) {
    const uint32_t frame = EncodedU32(S);
    std::string label = S.String();
    L.Charge(label.size() + sizeof(label), at);
    L.sceneFrameLabels.emplace(frame, std::move(label));
  }
}

void ApplyButtonCxform(Stream& S, LoadState& L) {
  const size_t at = S.Offset();
  const uint16_t id = S.U16();
  const ColorTransform cx = S.ReadCxform(false);
  const auto it = L.movie->dictionary.find(id);
  Button* b = it == L.movie->dictionary.end() ? nullptr : std::get_if<Button>(&it->second);
  if (!b || b->tagVersion != 1) {
    L.Note("a button colour transform at offset " + std::to_string(at) + " names character " + std::to_string(id) +
           ", which is not a DefineButton defined before it: it is ignored");
    return;
  }
  for (ButtonRecord& r : b->records) r.cxform = cx;
}

// Tags that are checked to be whole and otherwise passed over.
void CheckPassedOver(Stream& S, uint16_t Code) {
  switch (Code) {
    case kStartSound:
      S.U16();
      SkipSoundInfo(S);
      break;
    case kStartSound2:
      S.String();  // the sound's class name
      SkipSoundInfo(S);
      break;
    case kSoundStreamHead:
    case kSoundStreamHead2: {
      S.U8();  // playback rate, size and channels
      const uint8_t stream = S.U8();
      S.U16();  // samples per block
      // MP3 streams give a latency seek, which some writers leave out.
      if ((stream >> 4) == 2 && S.Remaining() >= 2) S.U16();
      break;
    }
    case kDefineButtonSound:
      S.U16();  // the button
      for (int state = 0; state < 4; ++state)
        if (S.U16() != 0) SkipSoundInfo(S);
      break;
    case kProductInfo:
      for (int i = 0; i < 2; ++i) S.U32();  // product, edition
      S.U8();                               // major
      S.U8();                               // minor
      for (int i = 0; i < 4; ++i) S.U32();  // build and compile date, 64 bits each
      break;
    case kMetadata:
      S.String();
      break;
    case kEnableDebugger:
    case kProtect:
      if (!S.AtEnd()) S.String();  // the password's hash, if any
      break;
    case kEnableDebugger2:
      S.U16();
      if (!S.AtEnd()) S.String();
      break;
    case kSetTabIndex:
      S.U16();  // depth
      S.U16();  // tab index
      break;
    case kFileAttributes:
      S.U8();  // the flags that matter sit in the first byte
      break;
    default:
      break;  // stream blocks and anything else: nothing to check
  }
}

}  // namespace

namespace {

// The tags below change nothing in the frame; Sprite: inside a sprite, where
// tags about the whole movie do not count.
bool ReadPassive(Stream& B, uint16_t Code, uint16_t Sprite, LoadState& L) {
  switch (Code) {
    case kDefineButtonCxform:
      if (!Sprite) ApplyButtonCxform(B, L);
      return true;
    case kScriptLimits:
      if (!Sprite) {
        L.movie->maxRecursionDepth = B.U16();
        L.movie->scriptTimeoutSeconds = B.U16();
      }
      return true;
    case kDefineSceneAndFrameLabelData:
      if (!Sprite) ReadSceneLabels(B, L);
      return true;
    case kStartSound:
    case kStartSound2:
    case kSoundStreamHead:
    case kSoundStreamHead2:
    case kSoundStreamBlock:
    case kDefineButtonSound:
    case kProductInfo:
    case kMetadata:
    case kEnableDebugger:
    case kEnableDebugger2:
    case kProtect:
    case kSetTabIndex:
    case kFileAttributes:
      CheckPassedOver(B, Code);
      return true;
    default:
      return false;
  }
}

}  // namespace

OtherTag ReadOtherTag(Stream& B, uint16_t Code, size_t At, uint16_t Sprite, Frame& Pending, LoadState& L) {
  if (Code == kDoInitAction) {
    if (Sprite) {
      L.Note("sprite " + std::to_string(Sprite) + " holds initialising actions at offset " + std::to_string(At) +
             ": only the movie's own frames run them");
      return OtherTag::Read;
    }
    InitAction a;
    a.spriteId = B.U16();
    a.actions.assign(B.Here(), B.Here() + B.Remaining());
    L.Charge(sizeof(InitAction) + a.actions.size(), At);
    Pending.initActions.push_back(std::move(a));
    return OtherTag::FrameContent;
  }
  // A malformed tag of these kinds costs only what it would have told.
  try {
    return ReadPassive(B, Code, Sprite, L) ? OtherTag::Read : OtherTag::Unknown;
  } catch (const FormatError& e) {
    L.Note("tag " + std::to_string(Code) + " is malformed (" + e.what() + "): it is passed over");
    return OtherTag::Read;
  }
}

Sound ReadSound(Stream& S) {
  Sound s;
  s.format = S.U8();
  s.sampleCount = S.U32();
  return s;  // the samples that follow are not kept
}

void ApplySceneLabels(Timeline& T, const LoadState& L) {
  for (const auto& [frame, label] : L.sceneFrameLabels)
    if (frame < T.frames.size() && T.frames[frame].label.empty()) T.frames[frame].label = label;
}

}  // namespace swf::detail
