// A NetStream's playback fed arbitrary bytes as a download: the first bytes
// choose the piece size and what a script does between pieces (ticks,
// seeks, pauses, a smaller buffer), the rest is the stream. Every run must
// end with its events told and no crash, hang or unbounded memory.
#include <cstddef>
#include <cstdint>

#include "renderers/engine/src/movie/net_stream_playback.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 2) return 0;
  const size_t piece = 1 + Data[0] % 64;
  const uint8_t script = Data[1];
  Data += 2;
  Size -= 2;
  swf::movie::StreamPlayback p;
  p.Start(1u << 20);
  if (script & 1) p.SetBufferTime(0);
  for (size_t at = 0, n = 0; at < Size; at += piece, ++n) {
    p.Receive(Data + at, Size - at < piece ? Size - at : piece);
    p.Tick(40);
    if ((script & 2) && n % 7 == 3) p.Seek(static_cast<double>(Data[at]) / 10);
    if ((script & 4) && n % 5 == 2) p.Pause({});
    while (p.NextEvent()) {
    }
  }
  p.EndOfData(!(script & 8));
  for (int i = 0; i < 200 && p.Busy(); ++i) {
    p.Tick(100);
    if ((script & 16) && i == 3) p.Seek(0);
    while (p.NextEvent()) {
    }
  }
  (void)p.Time(), (void)p.CurrentFps(), (void)p.BufferLength();
  return 0;
}
