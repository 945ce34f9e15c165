# make test  - install what is missing, build both builds, run every test
# make run   - build and run vtplay (ARGS="..." passes options)
# make fuzz  - longer libFuzzer runs (FUZZ_SECONDS per target)
# make bench - host benchmarks of the pixel kernels, the engine and form streams, then the Windows frame path under Wine
BUILD ?= build
WIN   := $(BUILD)/win
HOST  := $(BUILD)/host
BENCH := $(BUILD)/bench
WINBENCH := $(BUILD)/win-bench
GEN   := -G Ninja
FUZZ_SECONDS ?= 60
ARGS ?=

.PHONY: all setup test run build-win build-host fuzz bench clean

all: build-win

setup:
	@scripts/setup.sh

$(WIN)/build.ninja: | setup
	cmake -S . -B $(WIN) $(GEN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake

$(HOST)/build.ninja: | setup
	CC=clang CXX=clang++ cmake -S . -B $(HOST) $(GEN) -DVT_SANITIZE=ON -DVT_FUZZ=ON

build-win: setup $(WIN)/build.ninja
	cmake --build $(WIN)

build-host: setup $(HOST)/build.ninja
	cmake --build $(HOST)

test: build-host build-win
	scripts/register-control.sh $(WIN)/renderers/flashctl/flashctl.ocx
	ctest --test-dir $(HOST) --output-on-failure -j2
	ctest --test-dir $(WIN) --output-on-failure -j2

run: setup $(WIN)/build.ninja
	cmake --build $(WIN) --target vtplay
	scripts/register-control.sh $(WIN)/renderers/flashctl/flashctl.ocx
	scripts/wine-run.sh $(WIN)/tools/vtplay/vtplay.exe --out vtplay-out $(ARGS)

fuzz: build-host
	scripts/fuzz.sh $(HOST)/tests/fuzz tests/fuzz/corpus $(FUZZ_SECONDS)

bench: setup
	cmake -S . -B $(BENCH) $(GEN) -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" -DVT_BENCH=ON -DVT_BUILD_TESTS=OFF
	cmake --build $(BENCH)
	$(BENCH)/tests/bench/pixel_bench --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
	$(BENCH)/tests/bench/engine_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	$(BENCH)/tests/bench/video_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	$(BENCH)/tests/bench/render_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	$(BENCH)/tests/bench/form_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	cmake -S . -B $(WINBENCH) $(GEN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	      -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" -DVT_BUILD_TESTS=OFF
	cmake --build $(WINBENCH) --target frame_bench
	scripts/wine-run.sh $(WINBENCH)/tests/bench/win/frame_bench.exe
	scripts/wine-run.sh $(WINBENCH)/tests/bench/win/stream_bench.exe
	scripts/register-control.sh $(WINBENCH)/renderers/flashctl/flashctl.ocx
	scripts/wine-run.sh $(WINBENCH)/tests/bench/win/driver_bench.exe

clean:
	rm -rf $(BUILD) vtplay-out
