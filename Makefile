# Convenience wrapper around CMake.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all build run test difftest clean bench bench-build bench-profile

all: build

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# Converts the bundled sample in a scratch folder and shows the result.
run: build
	@rm -rf $(BUILD)/sample-run && mkdir -p $(BUILD)/sample-run
	@cp sample/kanjis.dat sample/words.txt sample/list.rec $(BUILD)/sample-run/
	@cd $(BUILD)/sample-run && ../listconv
	@echo "---- first blocks of $(BUILD)/sample-run/list.txt ----"
	@if command -v iconv >/dev/null 2>&1; then \
	  head -n 32 $(BUILD)/sample-run/list.txt | iconv -f SHIFT_JIS -t UTF-8 | tr -d '\r'; \
	else \
	  head -n 32 $(BUILD)/sample-run/list.txt | tr -d '\r'; \
	fi

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Compares the program with the reference model on many random inputs.
DIFFTEST_CASES ?= 2000
difftest: build
	python3 tools/model/difftest.py --self-test --count $(DIFFTEST_CASES) \
	  --exe $(BUILD)/listconv --keep $(BUILD)/difftest-failures

# Benchmarks: a Release build in its own folder, generated data
# under it (never committed), listconv timed against an I/O floor, a scaling
# table, then the micro-benchmarks. BENCH_ARGS go to bench/run_bench.py
# (e.g. BENCH_ARGS="--runs 9 --no-scaling"), MICRO_ARGS to the micro-benchmarks.
BENCH_BUILD ?= build-bench
BENCH_ARGS ?=
MICRO_ARGS ?= --benchmark_min_time=0.2

$(BENCH_BUILD)/CMakeCache.txt:
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release \
	  -DLISTCONV_BENCH=ON -DLISTCONV_TESTS=OFF

bench-build: $(BENCH_BUILD)/CMakeCache.txt
	cmake --build $(BENCH_BUILD) -j $(JOBS)

bench: bench-build
	python3 bench/run_bench.py --build $(BENCH_BUILD) $(BENCH_ARGS)
	@echo "---- micro-benchmarks ----"
	$(BENCH_BUILD)/bench/listconv_micro_bench $(MICRO_ARGS)

# Instruction profile of one listconv run on a smaller set (R = 10000).
bench-profile: bench-build
	python3 bench/run_bench.py --build $(BENCH_BUILD) --profile $(BENCH_ARGS)

clean:
	rm -rf $(BUILD)
