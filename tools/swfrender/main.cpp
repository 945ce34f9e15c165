// swfrender MOVIE.swf --frame N --size WxH [--transparent] --out frame.png
// Renders one frame of a movie through the engine's player into a PNG file
// (straight alpha), for looking at what the engine draws. With run-mode
// options it plays the movie with its scripts and input instead and prints
// what the movie asks of its host (see kUsage).
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "renderers/engine/player.h"
#include "renderers/engine/reader.h"
#include "tools/swfrender/script_run.h"
#include "vt_d7/pixels.h"

namespace {

struct Options {
  std::string movie, out;
  int32_t frame = 0;
  int32_t width = 0, height = 0;
  bool transparent = false;
  bool haveFrame = false;
  swfrender::RunOptions run;
  bool Running() const { return !run.events.empty() || !run.serve.empty() || !run.answers.empty(); }
};

constexpr const char* kUsage =
    "usage: swfrender MOVIE.swf --frame N --size WxH [--transparent] --out frame.png\n"
    "  --frame N      the frame to render, counted from 0 (default 0), as reached by playing\n"
    "  --size WxH     output size in pixels; the stage is fitted keeping its aspect ratio\n"
    "  --transparent  composite over transparent pixels instead of the background colour\n"
    "       swfrender MOVIE.swf RUN-OPTIONS... [--size WxH --out end.png]\n"
    "  plays the movie with its scripts; the events run in command-line order:\n"
    "  --frames N         N frame steps (the first enters frame 0 and runs its scripts)\n"
    "  --move X,Y         the mouse moves to X,Y (viewport pixels)\n"
    "  --click X,Y        the mouse moves to X,Y, is pressed and released there\n"
    "  --key CODE         a key press (ASCII, or 1 left ... 19 escape)\n"
    "  --set PATH=VALUE   sets a variable (\"_root.a=1\", \"clip.v=x\")\n"
    "  --get PATH         prints \"get PATH=VALUE\"\n"
    "  --call REQUEST     calls an ExternalInterface callback; prints \"result ANSWER\"\n"
    "  --serve URL=FILE   answers requests for URL with FILE's bytes; other relative URLs\n"
    "                     are read beside the movie, the rest fail\n"
    "  --answer NAME=TEXT the answer to ExternalInterface.call(NAME, ...) (else empty)\n"
    "  Every host call is printed on its own line: \"fscommand CMD ARGS\",\n"
    "  \"external NAME ARG...\" (arguments as XML values), \"request ID URL [post DATA]\",\n"
    "  \"served ID N bytes\" or \"failed ID\", \"log TEXT\" (traces as \"log trace: TEXT\");\n"
    "  at the end \"frame N playing|stopped\" (the root's frame counted from 0).\n";

std::optional<int64_t> ParseInt(const std::string& S, int64_t Min, int64_t Max) {
  if (S.empty() || S.size() > 9 || !std::all_of(S.begin(), S.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  int64_t v = std::stoll(S);
  if (v < Min || v > Max) return std::nullopt;
  return v;
}

// Returns an error message, or an empty string when the options are complete.
std::string ParseOptions(int Argc, char** Argv, Options& O) {
  bool haveSize = false;
  for (int i = 1; i < Argc; ++i) {
    std::string a = Argv[i];
    std::string runError;
    if (swfrender::ParseRunOption(Argc, Argv, i, O.run, runError)) {
      if (!runError.empty()) return runError;
      continue;
    }
    auto value = [&](const char* What) -> std::optional<std::string> {
      if (i + 1 >= Argc) return std::nullopt;
      (void)What;
      return std::string(Argv[++i]);
    };
    if (a == "--frame") {
      std::optional<std::string> v = value("frame");
      std::optional<int64_t> n = v ? ParseInt(*v, 0, 65535) : std::nullopt;
      if (!n) return "--frame needs a frame number 0..65535";
      O.frame = static_cast<int32_t>(*n);
      O.haveFrame = true;
    } else if (a == "--size") {
      std::optional<std::string> v = value("size");
      size_t x = v ? v->find('x') : std::string::npos;
      std::optional<int64_t> w, h;
      if (x != std::string::npos) {
        w = ParseInt(v->substr(0, x), 1, 16384);
        h = ParseInt(v->substr(x + 1), 1, 16384);
      }
      if (!w || !h) return "--size needs WxH with each side 1..16384";
      O.width = static_cast<int32_t>(*w);
      O.height = static_cast<int32_t>(*h);
      haveSize = true;
    } else if (a == "--transparent") {
      O.transparent = true;
    } else if (a == "--out") {
      std::optional<std::string> v = value("out");
      if (!v || v->empty()) return "--out needs a file name";
      O.out = *v;
    } else if (!a.empty() && a[0] == '-') {
      return "unknown option " + a;
    } else if (O.movie.empty()) {
      O.movie = a;
    } else {
      return "more than one movie given";
    }
  }
  if (O.movie.empty()) return "no movie given";
  if (O.Running()) {
    if (O.haveFrame) return "--frame renders one frame without scripts; use --frames in run mode";
    if (!O.out.empty() && !haveSize) return "--out needs --size";
    return {};
  }
  if (!haveSize) return "--size is required";
  if (O.out.empty()) return "--out is required";
  return {};
}

// Premultiplied 0xAARRGGBB -> straight RGBA bytes.
std::vector<uint8_t> StraightRgba(const std::vector<uint32_t>& Pixels) {
  std::vector<uint8_t> out;
  out.reserve(Pixels.size() * 4);
  for (uint32_t premultiplied : Pixels) {
    const uint32_t p = vt::UnpremultiplyPixel(premultiplied);
    out.push_back(static_cast<uint8_t>(p >> 16));
    out.push_back(static_cast<uint8_t>(p >> 8));
    out.push_back(static_cast<uint8_t>(p));
    out.push_back(static_cast<uint8_t>(p >> 24));
  }
  return out;
}

bool WritePng(const std::string& Path, int32_t Width, int32_t Height, const std::vector<uint8_t>& Rgba,
              std::string& Error) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(Width);
  image.height = static_cast<png_uint_32>(Height);
  image.format = PNG_FORMAT_RGBA;
  if (!png_image_write_to_file(&image, Path.c_str(), 0, Rgba.data(), Width * 4, nullptr)) {
    Error = image.message;
    png_image_free(&image);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (std::string err = ParseOptions(argc, argv, o); !err.empty()) {
    std::cerr << "swfrender: " << err << "\n" << kUsage;
    return 2;
  }
  std::ifstream file(o.movie, std::ios::binary);
  if (!file) {
    std::cerr << o.movie << ": cannot open\n";
    return 1;
  }
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  try {
    if (o.Running()) {
      std::vector<uint32_t> pixels;
      const int32_t width = o.out.empty() ? 0 : o.width;
      const size_t slash = o.movie.find_last_of('/');
      o.run.folder = slash == std::string::npos ? "." : o.movie.substr(0, slash);
      swfrender::RunMovie(bytes, o.run, std::cout, width, o.height, o.transparent, pixels);
      std::string error;
      if (!o.out.empty() && !WritePng(o.out, o.width, o.height, StraightRgba(pixels), error)) {
        std::cerr << o.out << ": " << error << "\n";
        return 1;
      }
      return 0;
    }
    std::shared_ptr<const swf::Movie> movie = swf::LoadMovie(bytes.data(), bytes.size());
    swf::MoviePlayer player(movie);
    if (o.frame >= player.TotalFrames()) {
      std::cerr << o.movie << ": frame " << o.frame << " does not exist (the movie has " << player.TotalFrames()
                << " frames, counted from 0)\n";
      return 1;
    }
    player.SetViewport(o.width, o.height);
    // Played from the start, so sprites are on the frames they reach when
    // the movie plays up to this one.
    for (int32_t f = 0; f < o.frame; ++f) player.NextFrame();
    std::vector<uint32_t> pixels(static_cast<size_t>(o.width) * static_cast<size_t>(o.height), 0);
    swf::RenderTarget target{pixels.data(), o.width, o.height, o.width * 4};
    player.Render(target, swf::IntRect{0, 0, o.width, o.height}, o.transparent);
    std::string error;
    if (!WritePng(o.out, o.width, o.height, StraightRgba(pixels), error)) {
      std::cerr << o.out << ": " << error << "\n";
      return 1;
    }
  } catch (const std::exception& e) {
    std::cerr << o.movie << ": " << e.what() << "\n";
    return 1;
  }
  return 0;
}
