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

.PHONY: all build run catalogue web test test-interrupt sanitize fuzz difftest clean bench bench-build bench-profile windows test-windows test-windows64 \
  wine32-check package test-package package-windows

all: build

# Configuring says only what goes wrong (warnings and errors go to standard
# error).
$(BUILD)/CMakeCache.txt:
	@echo "configuring $(BUILD)"
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# Converts the bundled sample in a scratch folder and shows the result; builds
# only the program, not the tests, without make's notes of the folders it
# enters.
run: $(BUILD)/CMakeCache.txt
	@cmake --build $(BUILD) -j $(JOBS) --target listconv -- --no-print-directory
	@rm -rf $(BUILD)/sample-run && mkdir -p $(BUILD)/sample-run
	@cp sample/kanjis.dat sample/words.txt sample/list.rec $(BUILD)/sample-run/
	@cd $(BUILD)/sample-run && ../listconv
	@echo "---- first blocks of $(BUILD)/sample-run/list.txt ----"
	@if command -v iconv >/dev/null 2>&1; then \
	  head -n 32 $(BUILD)/sample-run/list.txt | iconv -f SHIFT_JIS -t UTF-8 | tr -d '\r'; \
	else \
	  head -n 32 $(BUILD)/sample-run/list.txt | tr -d '\r'; \
	fi
	@echo "---- the sample as an HTML catalogue: 'make catalogue' writes $(BUILD)/sample-run/catalogue.html ----"

# The HTML catalogue page of the bundled sample, made by listconv-export, to
# open in a browser.
catalogue: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target listconv-export
	@mkdir -p $(BUILD)/sample-run
	$(BUILD)/listconv-export --format html -C sample --title "Sample listing" \
	  -o $(BUILD)/sample-run/catalogue.html
	@echo "written: $(BUILD)/sample-run/catalogue.html (open it in a browser)"

# The page that converts in a browser, build-web/listconv.html, built to
# WebAssembly with Debian's emscripten (apt-get install emscripten
# node-acorn). Its JavaScript optimiser needs Debian's acorn module, which a
# node from elsewhere does not find by itself.
WEB_BUILD ?= build-web
WEB_NODE_PATH ?= /usr/share/nodejs:/usr/lib/nodejs
WEB_ENV = NODE_PATH='$(WEB_NODE_PATH)$(if $(NODE_PATH),:$(NODE_PATH))'

# A configuration that fails (emscripten of another version than the page's
# file system code names, say) leaves no cache, so that the next make web
# configures again instead of building nothing.
$(WEB_BUILD)/CMakeCache.txt:
	$(WEB_ENV) emcmake cmake -S . -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=Release -DLISTCONV_TESTS=OFF || \
	  { rm -f $(WEB_BUILD)/CMakeCache.txt; exit 1; }

web: $(WEB_BUILD)/CMakeCache.txt
	$(WEB_ENV) cmake --build $(WEB_BUILD) -j $(JOBS) --target listconv_page

# The page is built too where emscripten is installed; its browser test
# reports itself skipped without it.
test: build
	@if command -v em++ >/dev/null 2>&1; then $(MAKE) --no-print-directory web; \
	else echo "em++ not found: the page (make web) is not built, its test is skipped"; fi
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Builds the program and every test with the sanitizers and runs the tests.
$(ASAN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_CXX_COMPILER=$(SANITIZE_CXX) \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLISTCONV_SANITIZE=ON

sanitize: $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS)

# Builds the fuzz targets of fuzz/ and runs each for FUZZ_SECONDS (all of
# them, or those named in FUZZ_TARGETS), one after the other; FUZZ_CMAKE_FLAGS
# go to CMake.
fuzz:
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=$(FUZZ_CXX) \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLISTCONV_FUZZ=ON -DLISTCONV_TESTS=OFF $(FUZZ_CMAKE_FLAGS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# The import interrupted at many random points (SIGKILL and SIGINT), each
# time the pair of data files checked by every program: make test runs a
# few, this target KILL_RUNS of them.
KILL_RUNS ?= 200
test-interrupt: build
	LISTCONV_KILL_RUNS=$(KILL_RUNS) $(BUILD)/tests/e2e_tests \
	  --gtest_filter='ImportChange.Killed*'

# Compares the program with the reference model on many random inputs.
DIFFTEST_CASES ?= 2000
difftest: build
	python3 tools/model/difftest.py --self-test --count $(DIFFTEST_CASES) \
	  --exe $(BUILD)/listconv --keep $(BUILD)/difftest-failures

# Benchmarks: a Release build in its own folder, generated data
# under it (never committed), listconv timed against an I/O floor, a scaling
# table, the page (built first where emscripten is installed) timed against
# listconv and the catalogue page at 300,000 rows in headless Chromium, then
# the micro-benchmarks. BENCH_ARGS go to bench/run_bench.py (e.g.
# BENCH_ARGS="--runs 9 --no-scaling", or "--no-browser"), MICRO_ARGS to the
# micro-benchmarks.
BENCH_BUILD ?= build-bench
BENCH_ARGS ?=
MICRO_ARGS ?= --benchmark_min_time=0.2

$(BENCH_BUILD)/CMakeCache.txt:
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release \
	  -DLISTCONV_BENCH=ON -DLISTCONV_TESTS=OFF

bench-build: $(BENCH_BUILD)/CMakeCache.txt
	cmake --build $(BENCH_BUILD) -j $(JOBS)

bench: bench-build
	@if command -v em++ >/dev/null 2>&1; then $(MAKE) --no-print-directory web; \
	else echo "em++ not found: the page (make web) is not built, its timing is skipped"; fi
	python3 bench/run_bench.py --build $(BENCH_BUILD) --page $(WEB_BUILD)/listconv.html $(BENCH_ARGS)
	@echo "---- micro-benchmarks ----"
	$(BENCH_BUILD)/bench/listconv_micro_bench $(MICRO_ARGS)

# Instruction profile of one listconv run on a smaller set (R = 10000).
bench-profile: bench-build
	python3 bench/run_bench.py --build $(BENCH_BUILD) --profile $(BENCH_ARGS)

# The Debian package of the Release build: the three programs, their manual
# pages and bash completions, as $(BUILD)/listconv_VERSION_ARCH.deb.
package: build
	@rm -f $(BUILD)/listconv_*.deb
	cd $(BUILD) && cpack -G DEB

# Installs that package into this machine (as root), runs the programs from
# it on the sample, and removes it again.
test-package: package
	bash tests/package_test.sh $(BUILD)/listconv_*.deb sample

# The Windows zip: the 32-bit listconv.exe, listconv-export.exe and
# listconv-import.exe, the page listconv.html (built by make web, so it needs
# emscripten: a zip without the page is not made), a read-me and the sample
# data, as
# $(WINDOWS_BUILD)/listconv-VERSION-win32.zip. Its test converts the zip's
# sample in the zip's page in headless Chromium, and reports that part
# skipped (77) where Chromium or Selenium is missing.
BROWSER_PYTHON ?= $(if $(wildcard /usr/bin/python3),/usr/bin/python3,python3)

package-windows: windows
	@command -v em++ >/dev/null 2>&1 || { \
	  echo "em++ not found: the Windows zip holds the page listconv.html, which make web builds" >&2; \
	  echo "with emscripten (apt-get install emscripten node-acorn); no zip is made without it" >&2; \
	  exit 1; }
	@$(MAKE) --no-print-directory web
	@cmake -S . -B $(WINDOWS_BUILD) -DLISTCONV_WEB_PAGE='$(abspath $(WEB_BUILD))/listconv.html' >/dev/null
	@rm -f $(WINDOWS_BUILD)/listconv-*.zip
	cd $(WINDOWS_BUILD) && cpack -G ZIP
	@$(BROWSER_PYTHON) tests/windows_zip_test.py --work $(WINDOWS_BUILD)/zip-test \
	  $(WINDOWS_BUILD)/listconv-*.zip sample || [ $$? -eq 77 ]

# The 32-bit Windows console program, cross-built with MinGW-w64. The unit
# tests are cross-built beside it (from GoogleTest's sources) for
# test-windows; 'make windows' builds only the program.
WINDOWS_BUILD ?= build-windows

WINDOWS_TOOLCHAIN ?= cmake/mingw-i686.cmake

$(WINDOWS_BUILD)/CMakeCache.txt:
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=$(WINDOWS_TOOLCHAIN) \
	  -DCMAKE_BUILD_TYPE=Release

windows: $(WINDOWS_BUILD)/CMakeCache.txt
	cmake --build $(WINDOWS_BUILD) -j $(JOBS) --target listconv listconv-export listconv-import

# Runs the unit tests as a Windows program and the end-to-end tests (built
# natively) against listconv.exe, listconv-export.exe and listconv-import.exe
# under Wine, with a private, quiet Wine prefix. The Wine server that Wine
# starts by itself (Debian's runs it with -p0) stops as soon as its last
# program ends, so each of the tests' runs would start one anew while another
# may be stopping: one server is started first in the prefix's folder, kept
# for the whole run (-p) and stopped at its end, so nothing of Wine outlives
# the run. Starting Wine first (wineboot) creates or updates the prefix, so no
# test sees its messages; the slow first start is bounded by WINE_TIMEOUT
# seconds.
WINE ?= wine
WINE_TIMEOUT ?= 300
WINE_ENV = WINEPREFIX='$(abspath $(WINDOWS_BUILD))/wineprefix' WINEDEBUG=-all \
  WINEDLLOVERRIDES='mscoree,mshtml=' $(if $(WINELOADER),WINELOADER='$(WINELOADER)')
WINDOWS_UNIT_TESTS = $(abspath $(WINDOWS_BUILD))/tests/unit_tests.exe

# 32-bit Wine runs only where 32-bit programs do, which some machines (certain
# virtual machines among them) cannot: test-windows first starts 32-bit
# Wine's server to see, and says so, with the system's reason, before building
# anything (through bash, which names an unrunnable program as such where sh
# would run it as a script). test-windows64 needs no 32-bit Wine and sets
# WINE32_SERVER empty.
WINE32_SERVER ?= /usr/lib/wine/wineserver32

test-windows: wine32-check build windows
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)
	@$(WINE_ENV) wineserver -k 2>/dev/null; mkdir -p '$(WINDOWS_BUILD)/wineprefix'; \
	{ $(WINE_ENV) wineserver -p && $(WINE_ENV) timeout $(WINE_TIMEOUT) $(WINE) wineboot; } \
	  >$(WINDOWS_BUILD)/wineboot.log 2>&1 || \
	  { echo "wine could not start (prefix $(WINDOWS_BUILD)/wineprefix); it said:" >&2; \
	    tail -n 20 $(WINDOWS_BUILD)/wineboot.log | sed 's/^/    /' >&2; \
	    $(WINE_ENV) wineserver -k; exit 1; }
	@status=0; \
	if [ -f '$(WINDOWS_UNIT_TESTS)' ]; then \
	  rm -rf $(WINDOWS_BUILD)/unit-run && mkdir -p $(WINDOWS_BUILD)/unit-run && \
	  cd $(WINDOWS_BUILD)/unit-run && \
	  $(WINE_ENV) timeout 300 $(WINE) '$(WINDOWS_UNIT_TESTS)' --gtest_brief=1 || status=1; \
	  cd '$(CURDIR)'; \
	fi; \
	cd $(BUILD) && $(WINE_ENV) LISTCONV_EXE='$(abspath $(WINDOWS_BUILD))/listconv.exe' \
	  LISTCONV_EXPORT_EXE='$(abspath $(WINDOWS_BUILD))/listconv-export.exe' \
	  LISTCONV_IMPORT_EXE='$(abspath $(WINDOWS_BUILD))/listconv-import.exe' \
	  LISTCONV_RUNNER='$(WINE)' LISTCONV_CONSOLE_CRLF=1 \
	  ctest -R '^(EndToEnd|ExportEndToEnd|ImportEndToEnd|ImportChange|ImportRecords|ImportWordsEndToEnd|ListingLinks|LetterCase|FileFaults)\.' \
	  --output-on-failure --timeout 300 -j $(JOBS) || status=1; \
	$(WINE_ENV) wineserver -k; \
	exit $$status

wine32-check:
	@if [ -z '$(WINE32_SERVER)' ]; then exit 0; \
	elif [ ! -e '$(WINE32_SERVER)' ]; then \
	  echo "32-bit Wine is not installed ($(WINE32_SERVER) is missing): dpkg --add-architecture i386," >&2; \
	  echo "apt-get update, apt-get install wine wine32:i386; or run make test-windows64, the same" >&2; \
	  echo "tests as a 64-bit Windows program under 64-bit Wine" >&2; \
	  exit 1; \
	elif ! reason=$$(timeout 60 bash -c '"$$0" --version' '$(WINE32_SERVER)' 2>&1); then \
	  echo "This machine cannot run 32-bit programs, so 32-bit Wine cannot run listconv.exe here." >&2; \
	  echo "Starting 32-bit Wine's server ($(WINE32_SERVER) --version) gave:" >&2; \
	  printf '%s\n' "$$reason" | sed 's/^/    /' >&2; \
	  echo "Run make test-windows64 instead: the same tests as a 64-bit Windows program under" >&2; \
	  echo "64-bit Wine (apt-get install g++-mingw-w64-x86-64 wine64)." >&2; \
	  exit 1; \
	fi

# The same as a 64-bit Windows program under 64-bit Wine, for machines that
# cannot run 32-bit programs (32-bit Wine is one); the 32-bit program is
# still built, so that it keeps compiling cleanly.
WINE64 ?= /usr/lib/wine/wine64
test-windows64: windows
	$(MAKE) test-windows WINDOWS_BUILD=build-windows64 WINE32_SERVER= \
	  WINDOWS_TOOLCHAIN=cmake/mingw-x86_64.cmake WINE='$(WINE64)' WINELOADER='$(WINE64)'

clean:
	rm -rf $(BUILD) $(WINDOWS_BUILD) build-windows64 $(ASAN_BUILD) $(FUZZ_BUILD) $(WEB_BUILD)
