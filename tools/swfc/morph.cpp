#include "tools/swfc/morph.h"

#include <stdexcept>
#include <string>

namespace swfc {
namespace {

[[noreturn]] void Differ(const std::string& What) {
  throw std::invalid_argument("the start and end shapes differ: " + What);
}

}  // namespace

swf::MorphShape MorphBetween(const swf::Shape& From, const swf::Shape& To) {
  if (From.fills.size() != To.fills.size()) Differ("they have different numbers of fills");
  if (From.lines.size() != To.lines.size()) Differ("they have different numbers of lines");
  if (From.paths.size() != To.paths.size()) Differ("they have different numbers of paths");
  swf::MorphShape m;
  m.startBounds = From.bounds;
  m.endBounds = To.bounds;
  for (size_t i = 0; i < From.fills.size(); ++i) {
    const swf::FillStyle& a = From.fills[i];
    swf::FillStyle b = To.fills[i];
    const std::string n = "fill " + std::to_string(i + 1);
    if (a.type != b.type) Differ(n + " is of another kind");
    if (a.gradient.size() != b.gradient.size()) Differ(n + " has another number of stops");
    b.bitmapId = a.bitmapId;
    b.spread = a.spread;
    m.fills.push_back({a, b});
    if (a.type == swf::FillType::FocalRadialGradient) m.tagVersion = 2;
  }
  for (size_t i = 0; i < From.lines.size(); ++i) m.lines.push_back({From.lines[i], To.lines[i]});
  for (size_t i = 0; i < From.paths.size(); ++i) {
    if (From.paths[i].edges.size() != To.paths[i].edges.size())
      Differ("path " + std::to_string(i + 1) + " has another number of edges");
    m.startPaths.push_back(From.paths[i]);
    swf::Path end = To.paths[i];
    end.fill0 = From.paths[i].fill0;
    end.fill1 = From.paths[i].fill1;
    end.line = From.paths[i].line;
    m.endPaths.push_back(std::move(end));
  }
  return m;
}

}  // namespace swfc
