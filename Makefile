# The two commands that do all the set-up on a fresh Debian 12 machine:
#   make run    installs what is missing, builds, starts the program on the demo meet
#   make test   installs what is missing, builds, runs every test
# and `make bench` runs every benchmark.
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
PACKAGES := cmake ninja-build g++ lld qt6-base-dev libqt6sql6-sqlite libsqlite3-dev zlib1g-dev libgl-dev poppler-utils
# The icon (rsvg-convert), the Debian package (dpkg-shlibdeps, file) and its checks
# (desktop-file-validate, update-mime-database, xmllint, man).
PACKAGES += librsvg2-bin dpkg-dev file desktop-file-utils shared-mime-info libxml2-utils man-db
# The web pages' server, QR code and tests (Node, headless Chromium driven by Selenium).
PACKAGES += qt6-websockets-dev libqrencode-dev pkg-config \
	nodejs chromium chromium-driver python3-selenium
# Sending a published results site in its tests.
PACKAGES += rclone

# Installs those of the Debian packages $(1) that are missing, as root or
# through sudo. Every package list of this file goes through it.
define install-missing
	@missing=""; \
	for p in $(1); do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
		echo "Installing:$$missing"; \
		if [ "$$(id -u)" = 0 ]; then sudo=""; else sudo="sudo"; fi; \
		$$sudo apt-get update && \
		DEBIAN_FRONTEND=noninteractive $$sudo apt-get install -y --no-install-recommends $$missing; \
	fi
endef

# ccache, when installed, shares compiled objects between checkouts.
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_SLOPPINESS := pch_defines,time_macros,include_file_mtime,include_file_ctime

.PHONY: all deps configure build build-extras test run-tests run bench bench-attacks deps-bench clean screenshots paperwork-pictures \
	test-sanitize build-sanitize run-tests-sanitize fuzz run-fuzz \
	deps-fuzz package install lint-package deps-lint deps-ci format format-check deps-format \
	lint-js format-js deps-npm

all: build

deps:
	$(call install-missing,$(PACKAGES))

# The build keeps line tables only for debug information: a crash's stack and a
# debugger's breakpoints still name files and lines, and the compiler is spared
# the full information's tracking of every variable (a sixth of the build).
RELWITHDEBINFO_FLAGS := -O2 -g1 -DNDEBUG
configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
		'-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=$(RELWITHDEBINFO_FLAGS)' $(CMAKE_FLAGS)

# Qt's automoc can miss headers added since the last configure; dropping its
# timestamps makes it look again (it only regenerates what changed).
build: configure
	find $(BUILD) -path '*_autogen/timestamp' -delete 2>/dev/null || true
	cmake --build $(BUILD)

# What no test needs, so `make build` leaves it out: the benchmarks, the meet
# generator and the manual's screenshot tool.
build-extras: build
	cmake --build $(BUILD) --target extras

CTEST_FLAGS ?=
# Eight tests at a time on two cores: four browser tests that spend most of
# their time waiting on the pages' own timers, one other browser test, and the
# C++ tests beside them.
CTEST_JOBS ?= 8
test: build
	$(MAKE) --no-print-directory run-tests

# The tests of the tree already built, building nothing.
run-tests:
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 -j$(CTEST_JOBS) $(CTEST_FLAGS)

# The data folder as the program finds it, and the program wherever CMake put it.
DATA_DIR = $${TALLVANE_DATA_DIR:-$${XDG_DATA_HOME:-$$HOME/.local/share}/Tallvane}
TALLVANE = $(firstword $(wildcard $(BUILD)/tallvane $(BUILD)/src/app/tallvane))

# The first run imports the demo meet into the data folder; every run opens it.
run: build
	@meet="$(DATA_DIR)/demo-meet.tallvane"; \
	if [ ! -f "$$meet" ]; then \
		mkdir -p "$$(dirname "$$meet")" && $(TALLVANE) import data/demo-meet.rxt "$$meet" || exit 1; \
	fi; \
	$(TALLVANE) "$$meet"

# Every benchmark, with the figures written to bench/performance.md; wrk loads
# the results API in the live results benchmark.
BENCH_PACKAGES := wrk
deps-bench: deps
	$(call install-missing,$(BENCH_PACKAGES))

bench: build-extras deps-bench
	bench/report.sh $(BUILD) bench/performance.md

# The attack probe alone (about three minutes): attacks from the network in turn
# against one `tallvane serve`, each with the server's memory growth and a
# judge's log-in time meanwhile. Its figures go to the terminal and to
# $(BUILD)/attacks.md; `make bench` runs it with the others.
bench-attacks: build-extras
	bench/report.sh --only attacks $(BUILD) $(BUILD)/attacks.md

# The test suite once more, built by clang with AddressSanitizer and
# UndefinedBehaviorSanitizer; the load tests and the browser run only in the
# plain build (they measure time and a browser, not the code the sanitizers
# watch). The same build holds the libFuzzer targets, so `make fuzz` after it
# compiles nothing again. Optimized a little, as the sanitizers advise, and
# with line tables only for debug information: their stacks keep files and
# lines, and the build is spared most of what full information costs. Each
# file is compiled on its own, not in the normal build's batches: that proves
# every file includes what it uses.
SANITIZE_BUILD := build-asan
SANITIZE_FLAGS := -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	-DTALLVANE_SANITIZE=ON -DTALLVANE_FUZZ=ON '-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1' -DTALLVANE_UNITY=OFF
FUZZ_PACKAGES := clang libclang-rt-14-dev
deps-fuzz: deps
	$(call install-missing,$(FUZZ_PACKAGES))

SANITIZE_MAKE = $(MAKE) --no-print-directory BUILD=$(SANITIZE_BUILD) BUILD_TYPE=Debug \
	CMAKE_FLAGS="$(SANITIZE_FLAGS) $(CMAKE_FLAGS)" CTEST_FLAGS="-LE 'load|browser'" CTEST_JOBS=2
test-sanitize: build-sanitize
	$(SANITIZE_MAKE) run-tests

# The sanitizer build alone, and its tests alone: CI runs the tests beside the
# fuzz targets once the build is done.
build-sanitize: deps-fuzz
	$(SANITIZE_MAKE) build

run-tests-sanitize:
	$(SANITIZE_MAKE) run-tests

# libFuzzer runs, each target for FUZZ_SECONDS of CPU time on its committed
# seed corpus (fuzz/run-targets.sh); the rate of each (executions per CPU
# second) is printed at the end. Transfer files are cut at 2 KiB: that holds a whole record of the
# widest table (a gymnast, about 1.2 KiB) and several of the others, so a
# longer file only repeats records, at a cost per run that grows with its
# length. The seeds hold every table within that length (longer seeds are read
# cut).
FUZZ_SECONDS ?= 20
FUZZ_TRANSFER_MAX_LEN ?= 2048
# Two targets at a time: each one runs on one core. The budget is CPU time, so
# sharing the machine with other work delays the runs without shortening them.
FUZZ_JOBS ?= 2
# AddressSanitizer records two frames where memory was taken and given back,
# not thirty: walking the stack on every allocation was a tenth of the web
# station target's time. What it finds is the same; to see the whole stacks
# of a finding, run its target again on the saved input with ASAN_OPTIONS unset.
FUZZ_ASAN_OPTIONS ?= malloc_context_size=2
fuzz: deps-fuzz
	cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug $(SANITIZE_FLAGS) $(CMAKE_FLAGS)
	cmake --build $(SANITIZE_BUILD) --target fuzzers
	$(MAKE) --no-print-directory run-fuzz

# The fuzz targets already built, building nothing.
run-fuzz:
	FUZZ_ASAN_OPTIONS=$(FUZZ_ASAN_OPTIONS) fuzz/run-targets.sh $(SANITIZE_BUILD) $(FUZZ_SECONDS) \
		$(FUZZ_TRANSFER_MAX_LEN) $(FUZZ_JOBS)

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) build-fuzz

# The user manual's pictures: the main window, each tab of the server window and
# every other window on the demo meet, rendered off screen into docs/images/.
screenshots: build-extras
	./$(BUILD)/tools/screenshots/tallvane-screenshots data/demo-meet.rxt docs/images
	/usr/bin/python3 tools/screenshots/web_screenshots.py $(TALLVANE) . docs/images
	/usr/bin/python3 tests/browser/test_browser_results.py $(TALLVANE) . docs/images/results-phone.png
	$(MAKE) paperwork-pictures

# The first page of each printed document (start list, awards, judge sheet).
paperwork-pictures: build
	tools/screenshots/paperwork_pictures.sh $(BUILD) docs/images

# The Debian package tallvane_VERSION_ARCH.deb, here, from the build's install
# rules; make install puts the same files under PREFIX (DESTDIR honoured).
PREFIX ?= /usr/local
package: build
	rm -f tallvane_*.deb
	cd $(BUILD) && cpack -G DEB -B package
	mv $(BUILD)/package/tallvane_*.deb .

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# lintian on the package: errors fail, warnings are shown.
deps-lint:
	$(call install-missing,lintian)

lint-package: deps-lint package
	lintian --fail-on error --display-level '>=warning' tallvane_*.deb

# Every package a CI run needs, in one apt-get run: one index update and one
# unpacking rather than one for each step (each step's own list then finds
# nothing missing). Debian's npm only where no npm is found.
CI_PACKAGES = $(PACKAGES) $(FUZZ_PACKAGES) $(FORMAT_PACKAGES) lintian \
	$(if $(shell command -v npm),,npm)
deps-ci:
	$(call install-missing,$(CI_PACKAGES))

# Every C++ file of the project in the committed clang-format style:
# `make format` rewrites them, `make format-check` (run by CI) lists those
# that differ and fails.
FORMAT_PACKAGES := clang-format
FORMAT_FILES = $(shell git ls-files -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' \
	'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp' 'fuzz/*.h' 'tools/*.cpp' 'tools/*.h')
deps-format:
	$(call install-missing,$(FORMAT_PACKAGES))

format: deps-format
	clang-format -i $(FORMAT_FILES)

format-check: deps-format
	@clang-format --dry-run -Werror $(FORMAT_FILES) && echo "Every C++ file is formatted."

# The pages' JavaScript and its tests: ESLint's recommended rules and the
# committed Prettier style, with the versions pinned in tools/web-lint's lock
# file. `make lint-js` (run by CI) fails on a finding or a file that differs;
# `make format-js` rewrites the files in that style.
WEB_LINT := tools/web-lint
JS_FILES = src/web/js tests/web $(WEB_LINT)/eslint.config.mjs
ESLINT = $(WEB_LINT)/node_modules/.bin/eslint --config $(WEB_LINT)/eslint.config.mjs
PRETTIER = $(WEB_LINT)/node_modules/.bin/prettier --config $(WEB_LINT)/.prettierrc.json
$(WEB_LINT)/node_modules/.package-lock.json: $(WEB_LINT)/package-lock.json
	@command -v npm >/dev/null || $(MAKE) --no-print-directory deps-npm
	cd $(WEB_LINT) && npm ci --no-audit --no-fund

# Debian's npm, on a machine whose Node.js came without it.
deps-npm:
	$(call install-missing,npm)

lint-js: $(WEB_LINT)/node_modules/.package-lock.json
	$(ESLINT) --max-warnings 0 $(JS_FILES)
	$(PRETTIER) --check $(JS_FILES)

format-js: $(WEB_LINT)/node_modules/.package-lock.json
	$(PRETTIER) --write $(JS_FILES)
