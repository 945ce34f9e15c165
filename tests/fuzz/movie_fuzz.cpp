// Runs arbitrary bytes as a movie through MovieInstance: frame and button
// scripts under a small budget, a host that answers every load with the same
// bytes (or fails it) and every ExternalInterface call with a value, input,
// variables and a callback request, checking the repainted rectangles.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "renderers/engine/movie.h"
#include "fuzz_load_limits.h"
#include "renderers/engine/reader.h"

namespace {

class FuzzHost : public swf::MovieHost {
 public:
  FuzzHost(const uint8_t* Data, size_t Size) : data_(Data), size_(Size) {}
  void RequestUrl(int Id, const std::string&, const std::string&) override { pending.push_back(Id); }
  void FSCommand(const std::string&, const std::string&) override {}
  std::string CallExternal(const std::string&, const std::vector<swf::ExternalValue>&) override {
    return "<array><property id=\"0\"><number>1</number></property></array>";
  }
  void Invalidate(const swf::IntRect& R) override {
    if (R.Empty() || R.Intersect({0, 0, 64, 48}) != R) __builtin_trap();
  }
  void Log(const std::string&) override {}

  void Answer(swf::MovieInstance& M) {
    std::vector<int> ids;
    ids.swap(pending);
    for (int id : ids) {
      if (++answered_ > 4) {  // later loads never answer
        continue;
      }
      M.DeliverData(id, data_, size_ / 2);
      M.DeliverData(id, data_ + size_ / 2, size_ - size_ / 2);
      M.FinishRequest(id, id % 3 != 0);
    }
  }
  std::vector<int> pending;

 private:
  const uint8_t* data_;
  size_t size_;
  int answered_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const swf::LoadLimits limits = FuzzLoadLimits();
  std::shared_ptr<const swf::Movie> movie;
  try {
    movie = swf::LoadMovie(Data, Size, limits);
  } catch (const swf::FormatError&) {
    return 0;
  }
  FuzzHost host(Data, Size);
  swf::MovieInstance instance(movie, host);
  instance.budget.maxActions = 20000;
  instance.budget.maxCallDepth = 32;
  instance.budget.maxObjects = 20000;
  instance.maxRequestBytes = 1u << 20;
  instance.SetViewport(64, 48);
  for (int i = 0; i < 4; ++i) {
    instance.Step();
    host.Answer(instance);
    if (instance.CurrentFrame() < 0 || instance.CurrentFrame() >= instance.TotalFrames()) __builtin_trap();
  }
  for (int y = 4; y < 48; y += 16)
    for (int x = 4; x < 64; x += 16) {
      instance.MouseMove(x, y);
      (x + y) % 3 ? instance.MouseDown(x, y) : instance.MouseUp(x, y);
      host.Answer(instance);
    }
  instance.KeyPress(Size > 8 ? Data[8] : 13);
  instance.SetVariable("_root.a", "1");
  instance.GetVariable("a");
  instance.CallFunction(
      "<invoke name=\"f\" returntype=\"xml\"><arguments><number>1</number></arguments></invoke>");
  instance.Forward();
  instance.Back();
  instance.Play();
  instance.Step();
  host.Answer(instance);
  std::vector<uint32_t> pixels(64 * 48);
  instance.Render({pixels.data(), 64, 48, 64 * 4}, {0, 0, 64, 48}, false);
  return 0;
}
