# Korveld front door. `make run` and `make test` are all a newcomer needs.
BUILD      ?= build
GENERATOR  ?= Ninja
JOBS       ?= $(shell nproc)

# Debian packages: what building and running need, what only the tests need
# (GoogleTest, the X server and tools the real-desktop checks drive, python3
# for the session fuzzer, a PulseAudio daemon and parec for the sound-server
# check), and what the benchmarks need.
BUILD_PACKAGES = build-essential cmake ninja-build pkg-config libsdl2-dev libx11-dev libpng-dev \
                 libfreetype-dev fonts-dejavu-core 64tass
TEST_PACKAGES  = libgtest-dev libgmock-dev googletest \
                 xvfb xauth xdotool x11-apps x11-utils xfonts-base openbox wmctrl python3 \
                 pulseaudio pulseaudio-utils
BENCH_PACKAGES = libbenchmark-dev python3 time xvfb xdotool x11-apps
# clang's libFuzzer and sanitizer runtimes for `make fuzz`.
FUZZ_PACKAGES  = clang-14 libclang-rt-14-dev
# The WebAssembly build: emscripten, Node to run the headless twin, and
# brotli for the page's precompressed copies.
WEB_PACKAGES   = emscripten nodejs brotli
# The browsers the page is tested in. npm comes with Node.js from some sources
# and as Debian's own package otherwise; the browser test's driver
# (puppeteer-core) is installed into the build folder and drives the system
# Chromium and Firefox (it never downloads a browser). Firefox plays a page's
# sound only into a sound server: the test starts a private PulseAudio.
BROWSER_PACKAGES = chromium firefox-esr pulseaudio
NPM_PACKAGE     := $(if $(shell command -v npm),,npm)
PUPPETEER_CORE   = puppeteer-core@24.43.1
WEB_PORT        ?= 8035

.PHONY: all deps test-deps bench-deps fuzz-deps web-deps build run test bench asan tsan fuzz clean \
        web-test-deps web-headless web-headless-test web web-serve web-test web-browser-test web-bench

all: build

# Installs the missing packages of a list with apt-get when run as root; as
# another user prints the exact command and stops.
define install_missing
	@missing=$$(for p in $(1); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "installing:" $$missing; \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $$missing; \
	  else \
	    echo "missing packages; run:"; echo "  sudo apt-get install -y" $$missing; exit 1; \
	  fi; \
	fi
endef

deps:
	$(call install_missing,$(BUILD_PACKAGES))

test-deps: deps
	$(call install_missing,$(TEST_PACKAGES))

bench-deps: deps
	$(call install_missing,$(BENCH_PACKAGES))

fuzz-deps: deps
	$(call install_missing,$(FUZZ_PACKAGES))

# The WebAssembly build nests a native build of the content compilers, so it
# needs the native build's packages too.
web-deps: deps
	$(call install_missing,$(WEB_PACKAGES))

web-test-deps: web-deps
	$(call install_missing,$(BROWSER_PACKAGES) $(NPM_PACKAGE))
	@[ -d $(WEB_BUILD)/browser-test/node_modules/puppeteer-core ] || \
	  PUPPETEER_SKIP_DOWNLOAD=1 npm install --prefix $(WEB_BUILD)/browser-test --no-audit --no-fund $(PUPPETEER_CORE)

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G $(GENERATOR)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/korveld

test: test-deps
	cmake -S . -B $(BUILD) -G $(GENERATOR) -DKORVELD_BUILD_TESTS=ON
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 900

bench: bench-deps build
	cmake -S . -B $(BUILD) -G $(GENERATOR)
	cmake --build $(BUILD) -j $(JOBS)
	@for b in $(BUILD)/korveld_bench_*; do [ -x "$$b" ] || continue; echo "== $$(basename $$b)"; \
	  $$b --benchmark_format=console --benchmark_counters_tabular=true || exit 1; done
	python3 bench/tools_bench.py $(BUILD)
	python3 bench/sound_bench.py $(BUILD)
	python3 bench/idle_viewer_bench.py $(BUILD)

# The sound-server sessions play against a real server's clock, a pace an
# unoptimised sanitizer build cannot keep: they run in `make test` only.
asan: test-deps
	cmake -S . -B build-asan -G $(GENERATOR) -DKORVELD_SANITIZE=address -DCMAKE_BUILD_TYPE=Debug -DKORVELD_BUILD_TESTS=ON
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  ctest --output-on-failure -j $(JOBS) -LE "slow|sound" --timeout 1800

tsan: test-deps
	cmake -S . -B build-tsan -G $(GENERATOR) -DKORVELD_SANITIZE=thread -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVELD_BUILD_TESTS=ON
	cmake --build build-tsan -j $(JOBS)
	cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j $(JOBS) -L threaded --timeout 1800

# The WebAssembly build lives in $(WEB_BUILD); emcc finds its JavaScript
# helpers through NODE_PATH.
WEB_BUILD ?= build-web
WEB_ENV    = NODE_PATH=/usr/share/nodejs

$(WEB_BUILD)/build.ninja:
	$(WEB_ENV) emcmake cmake -S . -B $(WEB_BUILD) -G $(GENERATOR) -DKORVELD_BUILD_TESTS=OFF

# korveld-render as a Node program: $(WEB_BUILD)/korveld-render.js.
web-headless: web-deps $(WEB_BUILD)/build.ninja
	$(WEB_ENV) cmake --build $(WEB_BUILD) -j $(JOBS) --target korveld-render

# The WebAssembly korveld-render gives the native one's frames and samples.
web-headless-test: web-headless $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target korveld-render
	tests/web/headless_twin.sh $(BUILD)/korveld-render $(WEB_BUILD)/korveld-render.js

# The magazine as a web page in $(WEB_BUILD)/: index.html, korveld.js,
# korveld.wasm, korveld.worker.js, the audio worklet korveld-audio.js, the
# isolation worker korveld-isolation.js and the presenter korveld-present.js,
# each also as .gz and .br.
web: web-deps $(WEB_BUILD)/build.ninja
	$(WEB_ENV) cmake --build $(WEB_BUILD) -j $(JOBS) --target korveld_page

# Serves the page on http://127.0.0.1:$(WEB_PORT)/ with the cross-origin
# isolation headers threads need. Run `make web` first.
web-serve:
	@[ -f $(WEB_BUILD)/korveld.wasm ] || { echo "no page in $(WEB_BUILD)/: run make web first"; exit 1; }
	python3 platform/web/serve.py $(WEB_PORT) $(WEB_BUILD)

# Both checks of the WebAssembly build: the Node twin against the native
# frames and samples, and the page in a real browser.
web-test: web-headless-test web-browser-test

# The page in headless Chromium and Firefox, served as a plain static host
# serves it, compared with the native headless program.
web-browser-test: web web-test-deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target korveld-render
	KORVELD_WEB_DIR=$(WEB_BUILD) KORVELD_RENDER=$(BUILD)/korveld-render \
	  KORVELD_NODE_MODULES=$(WEB_BUILD)/browser-test/node_modules node tests/web/browser_test.mjs

# The page's size, first frame, frame rate, page-thread load and hidden-tab
# pause, measured in headless Chromium.
web-bench: web web-test-deps
	KORVELD_WEB_DIR=$(WEB_BUILD) KORVELD_NODE_MODULES=$(WEB_BUILD)/browser-test/node_modules node bench/web_measure.mjs

# libFuzzer runs of every fuzz target, FUZZ_SECONDS each (default 60).
FUZZ_SECONDS ?= 60
fuzz: fuzz-deps
	FUZZ_SECONDS=$(FUZZ_SECONDS) JOBS=$(JOBS) fuzz/run.sh

clean:
	rm -rf $(BUILD) build-asan build-tsan build-fuzz $(WEB_BUILD)
