# Korveld front door. `make run` and `make test` are all a newcomer needs.
BUILD      ?= build
GENERATOR  ?= Ninja
JOBS       ?= $(shell nproc)

# Debian packages the build, the tests and the tools need.
PACKAGES = build-essential cmake ninja-build pkg-config libsdl2-dev libpng-dev \
           libgtest-dev libgmock-dev googletest libbenchmark-dev \
           libfreetype-dev fonts-dejavu-core 64tass \
           xvfb xauth xdotool x11-apps x11-utils xfonts-base python3 \
           clang-14 libclang-rt-14-dev

.PHONY: all deps build run test bench asan tsan fuzz clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "installing:" $$missing; \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $$missing; \
	  else \
	    echo "missing packages; run:"; echo "  sudo apt-get install -y" $$missing; exit 1; \
	  fi; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G $(GENERATOR)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/korveld

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 900

bench: build
	@for b in $(BUILD)/korveld_bench_*; do [ -x "$$b" ] || continue; echo "== $$(basename $$b)"; \
	  $$b --benchmark_format=console --benchmark_counters_tabular=true || exit 1; done

asan: deps
	cmake -S . -B build-asan -G $(GENERATOR) -DKORVELD_SANITIZE=address -DCMAKE_BUILD_TYPE=Debug
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS) -LE slow --timeout 1800

tsan: deps
	cmake -S . -B build-tsan -G $(GENERATOR) -DKORVELD_SANITIZE=thread -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build-tsan -j $(JOBS)
	cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j $(JOBS) -L threaded --timeout 1800

# libFuzzer runs of every fuzz target, FUZZ_SECONDS each (default 60).
FUZZ_SECONDS ?= 60
fuzz: deps
	FUZZ_SECONDS=$(FUZZ_SECONDS) JOBS=$(JOBS) fuzz/run.sh

clean:
	rm -rf $(BUILD) build-asan build-tsan build-fuzz
