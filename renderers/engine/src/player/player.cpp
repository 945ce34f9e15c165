// MoviePlayer: the root timeline, the viewport, the scene tree of the current
// frame and the rectangles that change between frames.
#include "renderers/engine/player.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <variant>

#include "renderers/engine/src/player/buttons.h"
#include "renderers/engine/src/player/drawing.h"
#include "renderers/engine/src/player/morph.h"
#include "renderers/engine/src/player/player_state.h"
#include "renderers/engine/src/player/text_field.h"
#include "renderers/engine/src/player/video_instance.h"
#include "renderers/engine/src/text/static_text_nodes.h"

namespace swf {
namespace detail {
namespace {

// What scripts drew into a timeline's clip, first: below its display list.
void AppendDrawing(const TimelineState& T, std::vector<SceneNode>& Out) {
  if (std::shared_ptr<const Shape> drawn = DrawnShape(T)) {
    SceneNode node;
    node.shape = drawn.get();
    node.owner = std::move(drawn);
    Out.push_back(std::move(node));
  }
  if (!T.drawing) return;
  // Attached bitmaps: each a node painting from the movie that holds it.
  for (const auto& [depth, attached] : T.drawing->AttachedBitmaps()) {
    SceneNode inner;
    inner.shape = attached.shape.get();
    inner.owner = attached.shape;
    SceneNode node;
    node.children.push_back(std::move(inner));
    node.movie = attached.pixels.get();
    node.owner = attached.pixels;
    Out.push_back(std::move(node));
  }
}

// A video instance with its picture brought up to date: the rectangle it
// fills, painting from the movie that holds the picture (no children
// without a picture).
void BuildVideo(VideoInstance& V, uint16_t Frame, SceneNode& Node, std::vector<std::string>& Notes) {
  V.Update(Frame, Notes);
  if (!V.PictureShape()) return;
  SceneNode inner;
  inner.shape = V.PictureShape().get();
  inner.owner = V.PictureShape();
  Node.children.push_back(std::move(inner));
  Node.movie = V.PictureMovie().get();
  Node.owner = V.PictureMovie();
}

// M: the movie whose dictionary List's characters come from; Notes gathers
// what went wrong in video instances.
void BuildScene(const DisplayList& List, const Movie& M, std::vector<SceneNode>& Out, FontService* Fonts,
                std::vector<std::string>& Notes) {
  for (const auto& [depth, inst] : List) {
    if ((!inst->character && !inst->textField) || !inst->visible) continue;
    SceneNode node;
    if (const Shape* shape = InstanceShape(*inst)) {
      if (inst->library) {
        // An imported shape fills from its library's bitmaps: a node of its own.
        SceneNode inner;
        inner.shape = shape;
        inner.owner = inst->morphed;
        node.children.push_back(std::move(inner));
        node.movie = inst->library;
      } else {
        node.shape = shape;
        node.owner = inst->morphed;
      }
    } else if (inst->sprite) {
      AppendDrawing(*inst->sprite, node.children);
      BuildScene(inst->sprite->list, *inst->sprite->movie, node.children, Fonts, Notes);
      node.movie = inst->loaded ? inst->loaded.get() : inst->library;
    } else if (inst->button) {
      BuildScene(inst->button->children, inst->library ? *inst->library : M, node.children, Fonts, Notes);
      node.movie = inst->library;
    } else if (inst->textField) {
      inst->textField->Build(node, Fonts);
    } else if (inst->video) {
      BuildVideo(*inst->video, inst->placement.ratio, node, Notes);
    } else if (const auto* text = std::get_if<StaticText>(inst->character)) {
      AppendStaticTextNodes(*text, inst->library ? *inst->library : M, node.children);
    } else {
      continue;  // bitmaps are not placed on their own
    }
    node.matrix = inst->placement.matrix;
    node.cxform = inst->placement.cxform;
    node.depth = depth;
    node.clipDepth = inst->placement.clipDepth;
    node.blendMode = inst->placement.blendMode;
    node.filters = inst->placement.filters;
    node.cacheAsBitmap = inst->placement.cacheAsBitmap;
    if (!node.shape)
      if (const auto grid = M.scalingGrids.find(inst->placement.characterId); grid != M.scalingGrids.end())
        node.scalingGrid = &grid->second;
    Out.push_back(std::move(node));
  }
}

bool SameNode(const SceneNode& A, const SceneNode& B) {
  return A.shape == B.shape && A.movie == B.movie && A.matrix == B.matrix && A.cxform == B.cxform &&
         A.clipDepth == B.clipDepth && A.blendMode == B.blendMode && A.filters == B.filters &&
         A.cacheAsBitmap == B.cacheAsBitmap && A.scalingGrid == B.scalingGrid;
}

// Old and new bounds of every node that appeared, vanished or changed. A
// sprite that stayed put is compared child by child.
void Diff(const std::vector<SceneNode>& Old, const std::vector<SceneNode>& New, const Matrix& M,
          std::vector<IntRect>& Out) {
  size_t i = 0, j = 0;
  while (i < Old.size() || j < New.size()) {
    if (j == New.size() || (i < Old.size() && Old[i].depth < New[j].depth)) {
      Out.push_back(NodePixelBounds(Old[i++], M));
    } else if (i == Old.size() || New[j].depth < Old[i].depth) {
      Out.push_back(NodePixelBounds(New[j++], M));
    } else {
      const SceneNode& a = Old[i++];
      const SceneNode& b = New[j++];
      if (!SameNode(a, b)) {
        Out.push_back(NodePixelBounds(a, M));
        Out.push_back(NodePixelBounds(b, M));
      } else if (!a.shape && (!a.filters || a.filters->empty()) && !a.scalingGrid) {
        Diff(a.children, b.children, M * a.matrix, Out);
      } else if (!a.shape) {
        // Filters (and a scaling grid) spread a change in a child over the whole node.
        std::vector<IntRect> inner;
        Diff(a.children, b.children, M * a.matrix, inner);
        if (!inner.empty()) Out.push_back(NodePixelBounds(b, M));
      }
    }
  }
}

int64_t Area(const IntRect& R) {
  return R.Empty() ? 0 : int64_t(R.right - R.left) * int64_t(R.bottom - R.top);
}

}  // namespace

void MergeRects(std::vector<IntRect>& Rects) {
  // Many small changes are cheaper to repaint as one rectangle than to sort
  // out; this also bounds the work below.
  constexpr size_t kMaxSeparate = 128;
  if (Rects.size() > kMaxSeparate) {
    IntRect all;
    for (const IntRect& r : Rects) all = all.Union(r);
    Rects.assign(1, all);
    return;
  }
  // Two rectangles become one while that paints no more pixels than the two
  // would separately (their overlap counted twice).
  for (bool merged = true; merged;) {
    merged = false;
    for (size_t i = 0; i < Rects.size() && !merged; ++i)
      for (size_t j = i + 1; j < Rects.size(); ++j) {
        const IntRect u = Rects[i].Union(Rects[j]);
        if (Area(u) <= Area(Rects[i]) + Area(Rects[j])) {
          Rects[i] = u;
          Rects.erase(Rects.begin() + static_cast<std::ptrdiff_t>(j));
          merged = true;
          break;
        }
      }
  }
}

}  // namespace detail

MoviePlayer::MoviePlayer(std::shared_ptr<const Movie> M) : state_(std::make_unique<State>()) {
  if (!M) throw std::invalid_argument("MoviePlayer needs a movie");
  state_->movie = std::move(M);
  state_->budget.imports = &state_->imports;
  state_->imports.AddImporter(state_->movie, "");
  state_->root = std::make_unique<detail::TimelineState>(*state_->movie, state_->movie->timeline, 0);
  const Rect& stage = state_->movie->frameSize;
  SetViewport(static_cast<int32_t>(std::clamp(std::ceil(stage.Width() / 20), 0.0, 1e6)),
              static_cast<int32_t>(std::clamp(std::ceil(stage.Height() / 20), 0.0, 1e6)));
  state_->root->Seek(0, state_->budget);
  state_->Rebuild();
}

MoviePlayer::~MoviePlayer() = default;

const Movie& MoviePlayer::movie() const { return *state_->movie; }

void MoviePlayer::SetViewport(int32_t Width, int32_t Height) {
  state_->width = std::max(Width, 0);
  state_->height = std::max(Height, 0);
  const Rect& stage = state_->movie->frameSize;
  Matrix m;
  if (stage.Width() > 0 && stage.Height() > 0) {
    const double s = std::min(state_->width / stage.Width(), state_->height / stage.Height());
    m.a = m.d = s;
    m.tx = (state_->width - stage.Width() * s) / 2 - stage.xmin * s;
    m.ty = (state_->height - stage.Height() * s) / 2 - stage.ymin * s;
  } else {
    m.a = m.d = 1.0 / 20;
  }
  state_->stageToPixels = m;
}

void MoviePlayer::SetFontService(FontService* Fonts) { state_->fonts = Fonts; }

Matrix MoviePlayer::StageToPixels() const { return state_->stageToPixels; }

int32_t MoviePlayer::CurrentFrame() const { return std::max(state_->root->frame, 0); }
int32_t MoviePlayer::TotalFrames() const { return state_->root->FrameCount(); }
void MoviePlayer::SetLoop(bool Loop) { state_->loop = Loop; }
bool MoviePlayer::Loop() const { return state_->loop; }

std::vector<IntRect> MoviePlayer::NextFrame() {
  state_->root->Step(state_->loop, state_->budget);
  return state_->Rebuild();
}

std::vector<IntRect> MoviePlayer::GotoFrame(int32_t Frame) {
  state_->root->Seek(Frame, state_->budget);
  return state_->Rebuild();
}

int32_t MoviePlayer::FindLabel(const std::string& Label) const {
  const auto& frames = state_->movie->timeline.frames;
  for (size_t i = 0; i < frames.size(); ++i)
    if (!Label.empty() && frames[i].label == Label) return static_cast<int32_t>(i);
  return -1;
}

detail::TimelineState& MoviePlayer::RootTimeline() { return *state_->root; }
detail::InstanceBudget& MoviePlayer::Instances() { return state_->budget; }

void MoviePlayer::SeekTimeline(detail::TimelineState& Timeline, int32_t Frame) {
  Timeline.Seek(Frame, state_->budget);
}

bool MoviePlayer::LoadIntoSprite(const std::vector<uint16_t>& Depths, uint64_t Serial,
                                 std::shared_ptr<const Movie> M) {
  detail::Instance* inst = nullptr;
  detail::TimelineState* t = state_->root.get();
  for (uint16_t d : Depths) {
    const auto it = t->list.find(d);
    if (it == t->list.end() || !it->second->sprite) return false;
    inst = it->second.get();
    t = inst->sprite.get();
  }
  if (!inst || inst->serial != Serial) return false;
  detail::LoadIntoSprite(*inst, std::move(M), state_->budget);
  return true;
}

std::vector<IntRect> MoviePlayer::Refresh() { return state_->Rebuild(); }

const std::vector<SceneNode>& MoviePlayer::Scene() const { return state_->scene; }

std::vector<std::string> MoviePlayer::TakeNotes() { return std::exchange(state_->notes, {}); }

std::vector<IntRect> MoviePlayer::State::Rebuild() {
  std::vector<SceneNode> next;
  detail::AppendDrawing(*root, next);
  std::vector<std::string> videoNotes;
  detail::BuildScene(root->list, *root->movie, next, fonts, videoNotes);
  for (std::string& n : videoNotes)
    if (noted.insert(n).second) notes.push_back(std::move(n));
  std::vector<IntRect> found;
  detail::Diff(scene, next, stageToPixels, found);
  scene = std::move(next);
  budget.retired.clear();  // no scene draws them any more
  const IntRect view{0, 0, width, height};
  std::vector<IntRect> out;
  for (const IntRect& r : found) {
    const IntRect c = r.Intersect(view);
    if (!c.Empty() && std::find(out.begin(), out.end(), c) == out.end()) out.push_back(c);
  }
  detail::MergeRects(out);
  return out;
}

}  // namespace swf
