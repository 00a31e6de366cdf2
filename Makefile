# Entry points: `make run` and `make test` (each installs what is missing first),
# `make check` (tests and the format check), `make sanitize` (sanitizers and
# fuzzing of the plain layers; CI runs it after the check), `make format`.
BUILD_DIR ?= build
JOBS ?= 2
CMAKE_FLAGS ?=
SAMPLE ?= samples/classics.pgn
SOURCES = git ls-files -- '*.cpp' '*.h'

.PHONY: all deps configure build run test check format format-check sanitize release install clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# The desktop program on the sample, its first game open; builds only the
# program. Without a display it writes a screenshot of the program instead.
SCREENSHOT ?= $(BUILD_DIR)/brevaro-screenshot.png
run: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target brevaro
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "No display: neither DISPLAY nor WAYLAND_DISPLAY is set."; \
	  echo "Writing a screenshot of Brevaro on $(SAMPLE) to $(SCREENSHOT) instead."; \
	  QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/src/brevaro --screenshot $(SCREENSHOT) $(SAMPLE) 0; \
	else \
	  $(BUILD_DIR)/src/brevaro $(SAMPLE) 0; \
	fi

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# What CI runs: every test with warnings as errors, then the format check.
check: CMAKE_FLAGS += -DBREVARO_WERROR=ON
check: test format-check

format: deps
	@$(SOURCES) | xargs clang-format -i

format-check: deps
	@$(SOURCES) | xargs clang-format --dry-run --Werror
	@echo "format: clean"

# The plain layers, their tests and the fuzz targets under AddressSanitizer and
# UndefinedBehaviorSanitizer (clang); each fuzz target runs FUZZ_SECONDS from its seeds.
sanitize:
	@scripts/sanitize.sh

# The optimised programs (Release, link-time and profile-guided optimisation)
# in build-release; the ones to measure and to ship.
release: deps
	@JOBS=$(JOBS) scripts/build-release.sh build-release

install: build
	cmake --install $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)
