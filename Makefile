# Velmora: `make run` to play, `make test` to run every test. Both install what is missing first,
# and so does `make` alone. `make install` and `make package` install the game or make a .deb.
BUILD       ?= build
ASAN_BUILD  ?= build-asan
JOBS        ?= $(shell nproc)
CMAKE_FLAGS ?=
PREFIX      ?= /usr/local
DESTDIR     ?=

# The build's own makes would otherwise announce every folder they enter and leave.
MAKEFLAGS += --no-print-directory

# What the game needs to start from the run folder; the installed tree adds its icon.
GAME_TARGETS    := velmora velmora_shaders velmora_data
INSTALL_TARGETS := $(GAME_TARGETS) velmora_icon

.PHONY: all deps configure build game run test test-asan test-zink asan bench soak fuzz clean \
	format install package

all: build

deps:
	@bash scripts/install-deps.sh

# Keyed on the generated Makefile, not the cache: a configure that failed or was stopped leaves a
# cache without a Makefile, and is then redone from scratch (--fresh), so that a compiler or
# package installed since, or a bad CMAKE_FLAGS value given then, is not kept from that cache.
$(BUILD)/Makefile: | deps
	@command -v cmake >/dev/null 2>&1 || \
		{ echo "cmake is missing: run 'make deps' as root or with sudo rights, then 'make' again" >&2; exit 1; }
	cmake --fresh -S . -B $(BUILD) $(CMAKE_FLAGS)

configure: $(BUILD)/Makefile

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Only the game and its data, with nothing but cmake's progress lines.
game: configure
	@cmake --build $(BUILD) -j $(JOBS) --target $(GAME_TARGETS)

# The game reads its questions from the terminal and its data from the run directory.
run: game
	@cd $(BUILD)/run && exec ./velmora

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The game under PREFIX (staged under DESTDIR when set): games/velmora starts it in
# share/games/velmora.
install: configure
	@cmake --build $(BUILD) -j $(JOBS) --target $(INSTALL_TARGETS)
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# A Debian package of the installed game in $(BUILD)/, installed under /usr; the same tree gives
# the same bytes.
package: configure
	@cmake --build $(BUILD) -j $(JOBS) --target $(INSTALL_TARGETS)
	cd $(BUILD) && cpack -G DEB

# --fresh for a build folder whose last configure did not finish (see $(BUILD)/Makefile above).
fresh_unless_configured = $(if $(wildcard $(1)/Makefile),,--fresh)

# The same tests in a build with AddressSanitizer and UndefinedBehaviorSanitizer.
asan: deps
	cmake $(call fresh_unless_configured,$(ASAN_BUILD)) -S . -B $(ASAN_BUILD) \
		-DVELMORA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)

test-asan: asan
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

# The OpenGL tests once more on a second driver, zink (OpenGL over Vulkan) on Mesa's software
# Vulkan driver, so that a state, an order or a precision that only llvmpipe forgives shows.
# VELMORA_GL_RENDERER makes each test program refuse a context on any other driver.
test-zink: build
	VELMORA_ZINK=1 bash scripts/install-deps.sh
	cd $(BUILD) && LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=zink VELMORA_GL_RENDERER=zink \
		ctest --output-on-failure -j $(JOBS) -R '^gl_'

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
	CC=clang CXX=clang++ cmake $(call fresh_unless_configured,$(FUZZ_BUILD)) -S . -B $(FUZZ_BUILD) \
		-DVELMORA_FUZZ=ON -DVELMORA_SANITIZE=ON -DVELMORA_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target velmora_fuzz_assets velmora_data
	bash tools/fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)
