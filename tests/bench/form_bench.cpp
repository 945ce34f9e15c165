// Saving and loading a form that stores a 100 MB movie, beside a plain copy
// of the same bytes in the same run: the movie should cost about one copy
// each way.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "framework/Filer.h"
#include "vt_d7/flash_store.h"

namespace {

constexpr int64_t kMovieBytes = 100 * 1000 * 1000;

const std::vector<uint8_t>& Movie() {
  static const std::vector<uint8_t> movie = [] {
    std::vector<uint8_t> m(kMovieBytes);
    for (size_t i = 0; i < m.size(); ++i) m[i] = static_cast<uint8_t>(i * 2654435761u >> 24);
    return m;
  }();
  return movie;
}

// A root owning a movie list whose one item holds the movie.
std::unique_ptr<vcl::TComponent> MakeForm() {
  auto root = std::make_unique<vcl::TComponent>(nullptr);
  root->SetName(L"Form1");
  auto* list = new vt::TvtFlashList(root.get());
  list->SetName(L"FlashList1");
  vt::TvtFlashStream* item = list->Flashs()->Add();
  item->SetFlashStore(L"big.swf");
  item->FStream->WriteBuffer(Movie().data(), kMovieBytes);
  return root;
}

// Into fresh memory each time, as saving into a new stream and loading
// into a new item do.
void BM_MemoryCopy(benchmark::State& state) {
  for (auto _ : state) {
    std::unique_ptr<uint8_t[]> target(new uint8_t[kMovieBytes]);
    std::memcpy(target.get(), Movie().data(), kMovieBytes);
    benchmark::DoNotOptimize(target.get());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kMovieBytes);
}

// Into memory already touched: the bare copy, for reference.
void BM_MemoryCopyWarm(benchmark::State& state) {
  std::vector<uint8_t> target(kMovieBytes);
  for (auto _ : state) {
    std::memcpy(target.data(), Movie().data(), kMovieBytes);
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kMovieBytes);
}

void BM_SaveForm(benchmark::State& state) {
  auto form = MakeForm();
  for (auto _ : state) {
    vcl::TMemoryStream out;
    vcl::WriteComponentToStream(out, form.get());
    benchmark::DoNotOptimize(out.Memory());
  }
  state.SetBytesProcessed(state.iterations() * kMovieBytes);
}

void BM_LoadForm(benchmark::State& state) {
  vcl::TMemoryStream saved;
  vcl::WriteComponentToStream(saved, MakeForm().get());
  for (auto _ : state) {
    vcl::TComponent root(nullptr);
    saved.SetPosition(0);
    vcl::ReadComponentFromStream(saved, &root);
    benchmark::DoNotOptimize(root.ComponentCount());
  }
  state.SetBytesProcessed(state.iterations() * kMovieBytes);
}

BENCHMARK(BM_MemoryCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemoryCopyWarm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveForm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadForm)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  vt::RegisterFlashStoreClasses();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
