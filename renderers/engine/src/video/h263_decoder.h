#pragma once
// Sorenson H.263 (FLV codec 2, SWF video codec 2): H.263 pictures with a
// header of their own. Keyframes are intra pictures; inter pictures predict
// each macroblock from the last reference picture with a half-pixel motion
// vector, and disposable inter pictures are shown but never referenced.
// The decoder keeps the 4:2:0 planes and converts them to pixels when the
// picture is asked for, so frames decoded only to catch up cost no
// conversion.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "renderers/engine/src/video/decoder.h"
#include "renderers/engine/src/video/h263_frame.h"
#include "renderers/engine/src/video/h263_macroblock.h"
#include "renderers/engine/src/video/h263_picture.h"
#include "renderers/engine/src/video/h263_yuv.h"

namespace swf::video {

class H263Decoder final : public VideoDecoder {
 public:
  // Decodes one picture. Throws FormatError ("Sorenson H.263: ... at bit
  // N") for a damaged packet or an inter picture with no reference before
  // it; a damaged header leaves the picture as it was, damage among the
  // macroblocks keeps those decoded and the reference's pixels for the rest.
  void Decode(const uint8_t* Data, size_t Size) override;

  const Bitmap& Picture() const override;
  // The planes of the picture Picture() shows; width 0 before the first.
  YuvPlanes Planes() const;

 private:
  void DecodeMacroblocks(H263BitReader& Bits, const H263PictureHeader& Header, H263Frame& Out);
  void Reconstruct(int MbX, int MbY, int SliceTop, H263Frame& Out);
  void Conceal(H263Frame& Out);
  // Makes Out the reference (unless the picture is disposable) and the picture shown.
  void Finish(bool Keep, H263Frame& Out);

  H263Frame frames_[2];
  int reference_ = 0;  // frames_[reference_] is the reference picture, the other is decoded into
  int shown_ = -1;     // the frame Picture() shows
  bool haveReference_ = false;
  int decodedMbs_ = 0;  // macroblocks of the current picture decoded so far
  std::vector<uint8_t> packet_;  // the packet and the reader's padding
  std::vector<int8_t> vectors_;  // each macroblock's motion vector (x, y) in half pixels, for prediction
  H263Macroblock mb_;
  mutable Bitmap picture_;
  mutable bool stale_ = false;  // picture_ is behind frames_[shown_]
};

}  // namespace swf::video
