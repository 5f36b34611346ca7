# Convenience wrapper around CMake.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

# The sanitizer build (AddressSanitizer and UndefinedBehaviorSanitizer) and
# the fuzzing build each have a folder of their own.
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
SANITIZE_CXX ?= clang++
FUZZ_CXX ?= clang++
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?=
FUZZ_CMAKE_FLAGS ?=
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

.PHONY: all build run test sanitize fuzz clean

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

# Builds the program and every test with the sanitizers and runs the tests.
$(ASAN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_CXX_COMPILER=$(SANITIZE_CXX) \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLISTCONV_SANITIZE=ON

sanitize: $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS)

# Builds the fuzz targets of fuzz/ and runs each for FUZZ_SECONDS (all of
# them, or those named in FUZZ_TARGETS), one after the other. FUZZ_CMAKE_FLAGS
# may add -DLISTCONV_FUZZ_CASE_WORDS=ON.
fuzz:
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=$(FUZZ_CXX) \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLISTCONV_FUZZ=ON -DLISTCONV_TESTS=OFF $(FUZZ_CMAKE_FLAGS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
