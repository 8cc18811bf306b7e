# Velmora: `make run` to play, `make test` to run every test. Both install what is missing first.
BUILD       ?= build
ASAN_BUILD  ?= build-asan
JOBS        ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test test-asan asan bench soak fuzz clean format

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

configure: $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The game reads its questions from the terminal and its data from the run directory.
run: deps build
	cd $(BUILD)/run && ./velmora

test: deps build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The same tests in a build with AddressSanitizer and UndefinedBehaviorSanitizer.
asan: deps
	cmake -S . -B $(ASAN_BUILD) -DVELMORA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)

test-asan: asan
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

# Start-up and frame times of the real game beside the machine's own limits, in one table
# (docs/performance.md explains the columns). Needs a virtual screen as large as the largest size.
bench: deps configure
	cmake --build $(BUILD) -j $(JOBS) --target velmora_bench
	cd $(BUILD)/run && xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" \
		../tools/bench/velmora_bench $(BENCH_FLAGS)

# The soak run: the real game for 20,000 frames under a scripted player, in a small hidden window;
# prints the frames, the resident memory after the warm-up and at the end, and the OpenGL errors.
SOAK_FRAMES ?= 20000
soak: deps build
	cd $(BUILD)/run && xvfb-run -a -s "-screen 0 1280x720x24 -nolisten tcp" \
		../tools/soak/velmora_soak --frames $(SOAK_FRAMES)

# A bounded libFuzzer run over the model and texture loading path, in its own clang build with the
# sanitizers; prints how many inputs it ran.
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz:
	VELMORA_FUZZ=1 bash scripts/install-deps.sh
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DVELMORA_FUZZ=ON -DVELMORA_SANITIZE=ON \
		-DVELMORA_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target velmora_fuzz_assets velmora_data
	bash tools/fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)
