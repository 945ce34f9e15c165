// Video decoding on the frame path: a 640x480 Screen Video keyframe (every
// block inflated and converted to 32-bit pixels) and an inter frame that
// sends one block in eight; every frame of a 640x480 Sorenson H.263 clip,
// with ffmpeg's single-threaded decoding of the same clip beside it.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "renderers/engine/src/video/flv.h"
#include "renderers/engine/src/video/h263_decoder.h"
#include "renderers/engine/src/video/screen_video.h"

namespace {

constexpr int kWidth = 640, kHeight = 480, kBlock = 64;

// A packet of a moving gradient with some noise (as screen content
// compresses: long runs broken by detail); Every: send one block in Every.
std::vector<uint8_t> Packet(int Frame, int Every) {
  std::vector<uint8_t> b = {static_cast<uint8_t>((kBlock / 16 - 1) << 4 | kWidth >> 8), static_cast<uint8_t>(kWidth & 0xFF),
                            static_cast<uint8_t>((kBlock / 16 - 1) << 4 | kHeight >> 8), static_cast<uint8_t>(kHeight & 0xFF)};
  int index = 0;
  for (int bottom = 0; bottom < kHeight; bottom += kBlock)
    for (int left = 0; left < kWidth; left += kBlock, ++index) {
      if (index % Every) {
        b.push_back(0), b.push_back(0);
        continue;
      }
      std::vector<uint8_t> raw;
      for (int y = 0; y < std::min(kBlock, kHeight - bottom); ++y)
        for (int x = 0; x < std::min(kBlock, kWidth - left); ++x) {
          const int X = left + x, Y = bottom + y;
          raw.push_back(static_cast<uint8_t>(X + Frame)), raw.push_back(static_cast<uint8_t>(Y));
          raw.push_back(static_cast<uint8_t>((X * Y) % 7 == 0 ? 255 : X ^ Y));
        }
      uLongf n = compressBound(raw.size());
      std::vector<uint8_t> z(n);
      compress(z.data(), &n, raw.data(), raw.size());
      b.push_back(static_cast<uint8_t>(n >> 8)), b.push_back(static_cast<uint8_t>(n & 0xFF));
      b.insert(b.end(), z.begin(), z.begin() + static_cast<std::ptrdiff_t>(n));
    }
  return b;
}

void BM_ScreenVideoKeyframe640x480(benchmark::State& state) {
  const std::vector<uint8_t> key = Packet(0, 1);
  swf::video::ScreenVideoDecoder d;
  for (auto _ : state) {
    d.Decode(key.data(), key.size());
    benchmark::DoNotOptimize(d.Picture().pixels.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ScreenVideoKeyframe640x480)->Unit(benchmark::kMicrosecond);

void BM_ScreenVideoInterFrame640x480(benchmark::State& state) {
  const std::vector<uint8_t> key = Packet(0, 1), inter = Packet(1, 8);
  swf::video::ScreenVideoDecoder d;
  d.Decode(key.data(), key.size());
  for (auto _ : state) {
    d.Decode(inter.data(), inter.size());
    benchmark::DoNotOptimize(d.Picture().pixels.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ScreenVideoInterFrame640x480)->Unit(benchmark::kMicrosecond);

using Bytes = std::vector<uint8_t>;

// The clip's video packets (tag payloads after their first byte).
const std::vector<Bytes>& SorensonPackets() {
  static const std::vector<Bytes> packets = [] {
    std::ifstream f(VT_SORENSON_CLIP, std::ios::binary | std::ios::ate);
    Bytes flv(f ? static_cast<size_t>(f.tellg()) : 0);
    f.seekg(0);
    f.read(reinterpret_cast<char*>(flv.data()), static_cast<std::streamsize>(flv.size()));
    std::vector<Bytes> out;
    swf::video::FlvReader reader;
    for (const swf::video::FlvTag& t : reader.Append(flv.data(), flv.size()))
      if (t.Is(swf::video::FlvTag::Kind::Video) && t.data.size() > 1) out.emplace_back(t.data.begin() + 1, t.data.end());
    return out;
  }();
  return packets;
}

// ffmpeg's frames per second of processor time decoding the clip five
// times over on one thread (its own -benchmark times; 0 if it did not run).
double FfmpegFramesPerSecond() {
  static const double fps = [] {
    const std::string command = std::string(VT_FFMPEG) + " -hide_banner -nostdin -benchmark -threads 1 -stream_loop 4 -i " +
                                VT_SORENSON_CLIP + " -f null - 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return 0.0;
    std::string output;
    char buffer[4096];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
    pclose(pipe);
    const size_t u = output.find("utime="), s = output.find("stime=");
    if (u == std::string::npos || s == std::string::npos) return 0.0;
    const double seconds = std::atof(output.c_str() + u + 6) + std::atof(output.c_str() + s + 6);
    return seconds > 0 ? 5.0 * static_cast<double>(SorensonPackets().size()) / seconds : 0.0;
  }();
  return fps;
}

// Every frame of the clip (keyframes every two seconds), as planes only, or
// also converted to pixels as a movie shows them.
void SorensonClip(benchmark::State& state, bool Pixels) {
  const std::vector<Bytes>& packets = SorensonPackets();
  if (packets.empty()) {
    state.SkipWithError("the clip " VT_SORENSON_CLIP " is missing");
    return;
  }
  swf::video::H263Decoder d;
  for (auto _ : state)
    for (const Bytes& p : packets) {
      d.Decode(p.data(), p.size());
      if (Pixels) benchmark::DoNotOptimize(d.Picture().pixels.data());
    }
  const double frames = static_cast<double>(packets.size()) * static_cast<double>(state.iterations());
  state.counters["frames/s"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
  state.counters["ffmpeg frames/s"] = FfmpegFramesPerSecond();
}

void BM_SorensonClip640x480(benchmark::State& state) { SorensonClip(state, false); }
BENCHMARK(BM_SorensonClip640x480)->Unit(benchmark::kMillisecond);

void BM_SorensonClipToPixels640x480(benchmark::State& state) { SorensonClip(state, true); }
BENCHMARK(BM_SorensonClipToPixels640x480)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
