# Convenience wrapper around CMake.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all build run test difftest clean

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

clean:
	rm -rf $(BUILD)
