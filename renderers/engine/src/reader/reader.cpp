// LoadMovie: the header, inflating a compressed body within the limits, and
// the tag loop that fills the dictionary and the timelines.
#include "renderers/engine/reader.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "renderers/engine/src/reader/images.h"
#include "renderers/engine/src/filter_list.h"
#include "renderers/engine/src/reader/loader.h"
#include "renderers/engine/src/reader/other_tags.h"
#include "renderers/engine/src/reader/lzma_movie.h"
#include "renderers/engine/src/reader/video_tags.h"
#include "renderers/engine/src/tag_codes.h"

namespace swf {
namespace detail {

void LoadState::Charge(size_t Bytes, size_t Offset) {
  if (Bytes > modelBudget - std::min(modelBytes, modelBudget)) Fail("movie too large to hold", Offset);
  modelBytes += Bytes;
}

void LoadState::Note(std::string Text) {
  constexpr size_t kMaxNotes = 64;
  if (movie->loadNotes.size() < kMaxNotes) movie->loadNotes.push_back(std::move(Text));
}

namespace {

// The body after the 8-byte header, inflated; the result holds the header
// too, so offsets in messages are offsets in the uncompressed movie. A body
// cut off early gives what it holds (Truncated).
std::vector<uint8_t> Inflate(const uint8_t* Data, size_t Size, size_t Limit, bool& Truncated) {
  Truncated = false;
  std::vector<uint8_t> out(Data, Data + 8);
  z_stream z{};
  if (inflateInit(&z) != Z_OK) Fail("zlib cannot start", 8);
  struct End {
    z_stream* z;
    ~End() { inflateEnd(z); }
  } end{&z};
  const uint8_t* in = Data + 8;
  size_t inLeft = Size - 8;
  constexpr size_t kChunk = 64 * 1024;
  // Room for one byte more than allowed, which shows excess.
  const size_t cap = Limit < SIZE_MAX ? Limit + 1 : Limit;
  for (;;) {
    if (out.size() >= cap) Fail("movie inflates past the size limit", Limit);
    const size_t room = std::min(kChunk, cap - out.size());
    const size_t old = out.size();
    out.resize(old + room);
    z.next_out = out.data() + old;
    z.avail_out = static_cast<uInt>(room);
    const uInt feed = static_cast<uInt>(std::min<size_t>(inLeft, 1u << 30));
    z.next_in = const_cast<Bytef*>(in);
    z.avail_in = feed;
    const int rc = inflate(&z, Z_NO_FLUSH);
    const size_t used = feed - z.avail_in;
    in += used;
    inLeft -= used;
    out.resize(old + room - z.avail_out);
    if (out.size() > Limit) Fail("movie inflates past the size limit", Limit);
    if (rc == Z_STREAM_END) break;
    if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT || rc == Z_MEM_ERROR) Fail("compressed body is not valid zlib data", 8);
    if (rc == Z_BUF_ERROR && inLeft == 0) {
      Truncated = true;
      break;
    }
    if (rc != Z_OK && rc != Z_BUF_ERROR) Fail("compressed body cannot be inflated", 8);
  }
  return out;
}

class Parser {
 public:
  explicit Parser(LoadState& L) : l_(L) {}

  // Reads tags until End into Timeline. Sprite: the id of the sprite whose
  // body this is (0 for the root), Level: how deep it nests.
  void ReadTimeline(Stream& S, Timeline& T, uint16_t Sprite, uint32_t& Levels) {
    Frame pending;
    Levels = 1;
    const std::string owner = Sprite ? "sprite " + std::to_string(Sprite) : std::string("movie");
    for (;;) {
      // A timeline without its End tag, or cut off inside a tag, ends there,
      // as the reference player plays it.
      if (S.AtEnd()) {
        Note(owner + " ends without an End tag at offset " + std::to_string(S.Offset()));
        break;
      }
      const size_t tagAt = S.Offset();
      if (S.Remaining() < 2) {
        Note(owner + " is cut off in a tag header at offset " + std::to_string(tagAt));
        break;
      }
      const uint16_t head = S.U16();
      const uint16_t code = head >> 6;
      size_t length = head & 0x3F;
      if (length == 0x3F && S.Remaining() < 4) {
        Note(owner + " is cut off in a tag header at offset " + std::to_string(tagAt));
        break;
      }
      if (length == 0x3F) length = S.U32();
      if (length > S.Remaining()) {
        Note("tag " + std::to_string(code) + " runs past the end of the " + owner + " at offset " +
             std::to_string(tagAt) + ": the " + owner + " ends there");
        break;
      }
      Stream body(S.Here(), length, S.Offset());
      S.Skip(length);
      if (code == kEnd) break;
      switch (code) {
        case kShowFrame:
          if (T.frames.size() >= l_.limits.maxFrames) Fail("too many frames", tagAt);
          l_.Charge(sizeof(Frame), tagAt);
          T.frames.push_back(std::move(pending));
          pending = Frame{};
          break;
        case kPlaceObject:
        case kPlaceObject2:
        case kPlaceObject3: {
          PlaceObject p = ReadPlace(body, code);
          if (Sprite && p.characterId && !CheckSpriteChild(Sprite, *p.characterId, Levels, tagAt)) break;
          l_.Charge(sizeof(ControlTag) + (p.name ? p.name->size() : 0), tagAt);
          pending.tags.emplace_back(std::move(p));
          break;
        }
        case kRemoveObject:
        case kRemoveObject2: {
          RemoveObject r;
          if (code == kRemoveObject) r.characterId = body.U16();
          r.depth = body.U16();
          l_.Charge(sizeof(ControlTag), tagAt);
          pending.tags.emplace_back(r);
          break;
        }
        case kFrameLabel:
          pending.label = body.String();
          l_.Charge(pending.label.size(), tagAt);
          break;
        case kVideoFrame:  // a sprite's too: the packets belong to the stream, not the timeline
          ReadVideoFrame(body, l_, tagAt);
          break;
        case kDoAction:
          l_.Charge(length + sizeof(std::vector<uint8_t>), tagAt);
          pending.actions.emplace_back(body.Here(), body.Here() + length);
          break;
        default: {
          const OtherTag other = ReadOtherTag(body, code, tagAt, Sprite, pending, l_);
          // Inside a sprite only control tags count; definitions are skipped.
          if (other == OtherTag::Unknown && !Sprite) ReadDefinition(body, code, tagAt);
          break;
        }
      }
    }
    // Control tags after the last ShowFrame make no frame: the reference
    // player never finishes loading that frame, so never shows it or runs
    // its actions. Every timeline has at least one frame, though.
    if (T.frames.empty()) {
      if (T.frames.size() >= l_.limits.maxFrames) Fail("too many frames", S.Offset());
      T.frames.push_back(std::move(pending));
    }
  }

 private:
  void Define(uint16_t Id, Character C, size_t At) {
    if (!l_.movie->dictionary.emplace(Id, std::move(C)).second)
      Fail("character " + std::to_string(Id) + " defined twice", At);
  }

  void ReadDefinition(Stream& B, uint16_t Code, size_t At) {
    switch (Code) {
      case kSetBackgroundColor:
        l_.movie->background = B.ReadRGB();
        break;
      case kDefineShape:
      case kDefineShape2:
      case kDefineShape3:
      case kDefineShape4: {
        const uint16_t id = B.U16();
        const int version = Code == kDefineShape ? 1 : Code == kDefineShape2 ? 2 : Code == kDefineShape3 ? 3 : 4;
        l_.Charge(sizeof(Shape), At);
        Define(id, ReadShape(B, version, l_), At);
        break;
      }
      case kDefineBitsLossless:
      case kDefineBitsLossless2: {
        const uint16_t id = B.U16();
        Define(id, ReadLosslessBitmap(B, Code == kDefineBitsLossless ? 1 : 2, l_), At);
        break;
      }
      case kJPEGTables:
        ReadJpegTables(B, l_);
        break;
      case kDefineBits:
      case kDefineBitsJPEG2:
      case kDefineBitsJPEG3:
      case kDefineBitsJPEG4: {
        const uint16_t id = B.U16();
        Define(id, ReadImageBitmap(B, Code, id, l_), At);
        break;
      }
      case kDefineButton:
      case kDefineButton2: {
        const uint16_t id = B.U16();
        l_.Charge(sizeof(Button), At);
        Define(id, ReadButton(B, id, Code == kDefineButton ? 1 : 2, l_), At);
        break;
      }
      case kDefineEditText: {
        const uint16_t id = B.U16();
        Define(id, ReadEditText(B, l_.movie->version, l_), At);
        break;
      }
      case kDefineMorphShape:
      case kDefineMorphShape2: {
        const uint16_t id = B.U16();
        l_.Charge(sizeof(MorphShape), At);
        Define(id, ReadMorphShape(B, id, Code == kDefineMorphShape ? 1 : 2, l_), At);
        break;
      }
      case kDefineSound: {
        const uint16_t id = B.U16();
        l_.Charge(sizeof(Sound), At);
        Define(id, ReadSound(B), At);
        break;
      }
      case kDefineVideoStream: {
        const uint16_t id = B.U16();
        Define(id, ReadVideoStream(B, l_, At), At);
        break;
      }
      case kDefineSprite: {
        const uint16_t id = B.U16();
        Sprite sprite;
        sprite.frameCount = B.U16();
        uint32_t levels = 1;
        l_.Charge(sizeof(Sprite), At);
        ReadTimeline(B, sprite.timeline, id, levels);
        if (l_.movie->dictionary.count(id)) Fail("character " + std::to_string(id) + " defined twice", At);
        l_.spriteLevels[id] = levels;
        Define(id, std::move(sprite), At);
        break;
      }
      // Fonts and static text.
      case kDefineFont:
      case kDefineFont2:
      case kDefineFont3: {
        const uint16_t id = B.U16();
        l_.Charge(sizeof(Font), At);
        Define(id, Code == kDefineFont ? ReadDefineFont(B, id, l_) : ReadDefineFont2(B, id, Code == kDefineFont2 ? 2 : 3, l_),
               At);
        break;
      }
      case kDefineFontInfo:
      case kDefineFontInfo2:
        ReadFontInfo(B, Code == kDefineFontInfo ? 1 : 2, l_, At);
        break;
      case kDefineFontAlignZones:
        ReadFontAlignZones(B, l_, At);
        break;
      case kCSMTextSettings:
        ReadTextSettings(B);
        break;
      case kDefineFontName:  // a font's full name and copyright: not shown
        break;
      case kDefineText:
      case kDefineText2: {
        const uint16_t id = B.U16();
        l_.Charge(sizeof(StaticText), At);
        Define(id, ReadStaticText(B, Code == kDefineText ? 1 : 2, l_), At);
        break;
      }
      case kExportAssets:
        if (std::string note = ReadExports(B, l_, At); !note.empty()) Note(std::move(note));
        break;
      case kImportAssets:
      case kImportAssets2:
        if (std::string note = ReadImports(B, Code == kImportAssets ? 1 : 2, l_, At); !note.empty())
          Note(std::move(note));
        break;
      case kDefineScalingGrid:
        ReadScalingGrid(B, l_, At);
        break;
      default:
        break;  // unknown or unsupported tags are skipped by their length
    }
  }

  // CSMTextSettings: how an edit text defined before it smooths its glyphs
  // (the settings of static text are not kept).
  void ReadTextSettings(Stream& B) {
    const uint16_t id = B.U16();
    const uint32_t flashType = B.UB(2), gridFit = B.UB(3);
    B.UB(3);
    const uint32_t thickness = B.U32(), sharpness = B.U32();
    auto found = l_.movie->dictionary.find(id);
    if (found == l_.movie->dictionary.end()) return;
    auto* text = std::get_if<EditText>(&found->second);
    if (!text) return;
    text->advancedAntiAlias = flashType == 1;
    text->gridFit = static_cast<uint8_t>(std::min<uint32_t>(gridFit, 2));
    text->thickness = std::bit_cast<float>(thickness);
    text->sharpness = std::bit_cast<float>(sharpness);
  }

  // A sprite may only place characters defined before it, which rules out
  // cycles; the nesting of sprites in sprites is bounded as well. An id
  // imported before it is a leaf here (its library's sprites are bounded when
  // the library loads). A placement of any other character (one this reader
  // skips, or one defined later) places nothing: false.
  bool CheckSpriteChild(uint16_t Sprite, uint16_t Child, uint32_t& Levels, size_t At) {
    if (!l_.movie->dictionary.count(Child)) {
      if (l_.imported.count(Child)) return true;
      if (unplaced_.insert(Child).second)
        Note("sprite " + std::to_string(Sprite) + " places character " + std::to_string(Child) +
             ", which is not defined before it, at offset " + std::to_string(At) + ": nothing is placed");
      return false;
    }
    const auto it = l_.spriteLevels.find(Child);
    if (it == l_.spriteLevels.end()) return true;
    const uint32_t levels = it->second + 1;
    if (levels > l_.limits.maxSpriteNesting) Fail("sprites nest too deeply", At);
    Levels = std::max(Levels, levels);
    return true;
  }

  void Note(std::string Text) { l_.Note(std::move(Text)); }

  PlaceObject ReadPlace(Stream& B, uint16_t Code) {
    PlaceObject p;
    if (Code == kPlaceObject) {
      p.tagVersion = 1;
      p.characterId = B.U16();
      p.depth = B.U16();
      p.matrix = B.ReadMatrix();
      if (!B.AtEnd()) p.cxform = B.ReadCxform(false);
      return p;
    }
    p.tagVersion = Code == kPlaceObject2 ? 2 : 3;
    const uint8_t flags = B.U8();
    const uint8_t flags2 = Code == kPlaceObject3 ? B.U8() : 0;
    p.depth = B.U16();
    p.move = flags & 0x01;
    const bool hasCharacter = flags & 0x02;
    if (Code == kPlaceObject3) {
      const bool hasClassName = flags2 & 0x08, hasImage = flags2 & 0x10;
      if (hasClassName || (hasImage && hasCharacter)) B.String();  // class name: no scripts of that kind here
    }
    if (hasCharacter) p.characterId = B.U16();
    if (flags & 0x04) p.matrix = B.ReadMatrix();
    if (flags & 0x08) p.cxform = B.ReadCxform(true);
    if (flags & 0x10) p.ratio = B.U16();
    if (flags & 0x20) p.name = B.String();
    if (flags & 0x40) p.clipDepth = B.U16();
    if (Code == kPlaceObject3) ReadPlaceEffects(B, flags2, p);
    if (flags & 0x80) ReadClipActions(B, p);
    return p;
  }

  // The clip event actions that end a PlaceObject2/3: a record per set of
  // events, up to a record of no events. A damaged list keeps the records
  // read whole before the damage.
  void ReadClipActions(Stream& B, PlaceObject& P) {
    const bool wide = l_.movie->version >= 6;
    auto list = std::make_shared<std::vector<ClipAction>>();
    const size_t at = B.Offset();
    try {
      B.U16();  // reserved
      // Every event the records use: a record's event outside it never fires.
      const uint32_t used = wide ? B.U32() : B.U16();
      while (!B.AtEnd()) {
        ClipAction a;
        a.events = wide ? B.U32() : B.U16();
        if (a.events == 0) break;
        const uint32_t named = a.events;
        a.events &= used;
        uint32_t size = B.U32();
        if (size > B.Remaining()) size = static_cast<uint32_t>(B.Remaining());  // cut off: what is there
        if (named & kClipKeyPress) {
          if (size == 0) break;
          a.keyCode = B.U8();
          --size;
        }
        a.actions.assign(B.Here(), B.Here() + size);
        B.Skip(size);
        list->push_back(std::move(a));
      }
    } catch (const FormatError& e) {
      Note("placement at depth " + std::to_string(P.depth) + " at offset " + std::to_string(at) +
           " has damaged clip actions (" + e.what() + "): it keeps those read whole");
    }
    size_t bytes = 0;
    for (const ClipAction& a : *list) bytes += sizeof(ClipAction) + a.actions.size();
    l_.Charge(bytes, at);
    if (!list->empty()) P.clipActions = std::move(list);
  }

  // PlaceObject3's filters, blend mode and bitmap caching, then visibility
  // and background colour. A placement cut off in them keeps what it has
  // (a cache flag without its byte means cached) and the rest is noted.
  void ReadPlaceEffects(Stream& B, uint8_t Flags2, PlaceObject& P) {
    const size_t at = B.Offset();
    try {
      if (Flags2 & 0x01) P.filters = ReadFilterList(B, l_);
      if (Flags2 & 0x02) P.blendMode = BlendModeOf(B.U8());
      if (Flags2 & 0x04) P.cacheAsBitmap = B.AtEnd() || B.U8() != 0;
      if (Flags2 & 0x20) B.U8();         // visible
      if (Flags2 & 0x40) B.ReadRGBA();   // opaque background
    } catch (const FormatError& e) {
      Note("placement at depth " + std::to_string(P.depth) + " at offset " + std::to_string(at) +
           " has damaged filters or blend mode (" + e.what() + "): it keeps what precedes");
    }
  }

  LoadState& l_;
  std::set<uint16_t> unplaced_;  // characters whose placement was passed over
};

}  // namespace
}  // namespace detail

std::shared_ptr<const Movie> LoadMovie(const uint8_t* Data, size_t Size, const LoadLimits& Limits) {
  using detail::Fail;
  if (!Data && Size) Fail("no data", 0);
  if (Size < 8) Fail("too short for a movie header", Size);
  const bool compressed = Data[0] == 'C';
  const bool lzma = Data[0] == 'Z';
  if ((Data[0] != 'F' && Data[0] != 'C' && Data[0] != 'Z') || Data[1] != 'W' || Data[2] != 'S')
    Fail("not a SWF movie (signature)", 0);
  std::vector<uint8_t> inflated;
  const uint8_t* bytes = Data;
  size_t size = Size;
  bool truncated = false;
  if (lzma) {
    inflated = detail::DecompressLzmaMovie(Data, Size, Limits.maxUncompressedBytes, truncated);
    bytes = inflated.data();
    size = inflated.size();
    if (size < 8 + 5) Fail("compressed body is truncated", Size);
  } else if (compressed) {
    inflated = detail::Inflate(Data, Size, Limits.maxUncompressedBytes, truncated);
    bytes = inflated.data();
    size = inflated.size();
    if (size < 8 + 5) Fail("compressed body is truncated", Size);  // not even the stage size
  } else if (Size > Limits.maxUncompressedBytes) {
    Fail("movie larger than the size limit", Limits.maxUncompressedBytes);
  }

  auto movie = std::make_shared<Movie>();
  if (truncated)
    movie->loadNotes.push_back("compressed body is cut off after " + std::to_string(size) +
                               " bytes: the movie ends there");
  movie->version = bytes[3];
  movie->fileLength = static_cast<uint32_t>(bytes[4] | (bytes[5] << 8) | (bytes[6] << 16)) |
                      (static_cast<uint32_t>(bytes[7]) << 24);
  movie->compressed = compressed || lzma;
  detail::LoadState state;
  state.limits = Limits;
  state.movie = movie.get();
  state.modelBudget = std::max<size_t>(64u << 20, std::min(Limits.maxUncompressedBytes, SIZE_MAX / 4) * 4);

  // The header's length ends the movie: what follows is not part of it, and
  // a length too short for the stage size and frame rate leaves a movie of
  // one empty frame.
  const bool cut = movie->fileLength < size;
  if (cut) {
    size = std::max<size_t>(movie->fileLength, 8);
    movie->loadNotes.push_back("the header's length ends the movie after " + std::to_string(size) + " bytes");
  }
  detail::Stream s(bytes + 8, size - 8, 8);
  try {
    movie->frameSize = s.ReadRect();
    movie->frameRate = s.U16();
    movie->frameCount = s.U16();
  } catch (const FormatError&) {
    if (!cut) throw;
    movie->frameSize = Rect{};
    movie->frameCount = 1;
    movie->timeline.frames.resize(1);
    return movie;
  }
  uint32_t levels = 0;
  detail::Parser(state).ReadTimeline(s, movie->timeline, 0, levels);
  detail::ApplySceneLabels(movie->timeline, state);
  return movie;
}

}  // namespace swf
