# Developer entry points. `make run` and `make test` install what is missing first.
BUILD ?= build
JOBS  ?= $(shell nproc)
CMAKE_FLAGS ?=

# Debian packages the project needs to build, test and run.
DEPS = cmake ninja-build g++ clang qt6-base-dev qt6-base-dev-tools libgl-dev \
       libgtest-dev libgmock-dev googletest libbenchmark-dev \
       fonts-ipafont-gothic xvfb xdotool xauth \
       desktop-file-utils at-spi2-core python3-pyatspi python3-xlib dbus-daemon \
       libclang-rt-14-dev appstream man-db groff-base optipng \
       fuse3 fusefat dosfstools \
       qt6-svg-dev dpkg-dev lintian \
       libpcre2-dev libicu-dev libexiv2-dev pkg-config

.PHONY: all deps configure build run test screenshots docs-screenshots bench package clean test-asan fuzz

all: build

deps:
	@missing=""; for p in $(DEPS); do \
	  dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  SUDO=""; [ "$$(id -u)" = 0 ] || SUDO=sudo; \
	  $$SUDO apt-get update && \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y $$missing; \
	fi

# A test that fails counts as failed: the tests wait for events, not for
# time, so a machine busy with other work makes them slower, never flaky.
CTEST_ARGS ?=

# ccache, where installed, shares compiled objects between build folders.
LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(LAUNCHER) $(CMAKE_FLAGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/meibo

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) $(CTEST_ARGS)

screenshots: build
	QT_QPA_PLATFORM=offscreen ./$(BUILD)/meibo-screenshots $(BUILD)/screenshots

# The pictures the README shows, refreshed from `make screenshots` under
# names of their own that stay when the renderer's names change.
DOCS_SHOTS = mainform:main-window preview:preview pagesdlg:options-dialog browsefolder:folder-browser \
             filedialog-open:open-dialog filedialog-save:save-dialog \
             replace:replace-dialog convert:convert-dialog columns:columns-dialog mainform-more-lines:rows-and-guard
docs-screenshots: screenshots
	@mkdir -p docs
	@for pair in $(DOCS_SHOTS); do \
	  cp $(BUILD)/screenshots/$${pair%%:*}.png docs/$${pair#*:}.png || exit 1; \
	done
	optipng -quiet -o2 -strip all $(foreach p,$(DOCS_SHOTS),docs/$(word 2,$(subst :, ,$(p))).png)

# Whole-run benchmark: our code against the system's own tools, same run.
BENCH_ARGS ?=
bench: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ./bench/meibo-bench --data=bench-data $(BENCH_ARGS)
	@if [ -x $(BUILD)/bench/meibo-microbench ]; then \
	  cd $(BUILD) && ./bench/meibo-microbench --benchmark_min_time=0.2; \
	else echo "meibo-microbench not built (Google Benchmark missing)"; fi

# The Debian package, built in its own folder with the install prefix /usr: the
# program compares its folder with the prefix it was built for to decide where
# its settings live. Only the program and its icons are built there; the tests
# run in $(BUILD). The package lands in $(BUILD)/deb/. It is built with the
# flags Debian builds its own packages with, every hardening on (stack
# protector, _FORTIFY_SOURCE, format checks, read-only relocations, -z now).
PKGBUILD = $(BUILD)/deb
PKG_FLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get

package: deps
	cmake -S . -B $(PKGBUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON $(LAUNCHER) $(CMAKE_FLAGS) \
	  "-DCMAKE_CXX_FLAGS=$$($(PKG_FLAGS) CPPFLAGS) $$($(PKG_FLAGS) CXXFLAGS)" \
	  "-DCMAKE_EXE_LINKER_FLAGS=$$($(PKG_FLAGS) LDFLAGS)"
	cmake --build $(PKGBUILD) -j $(JOBS) --target meibo icons
	cd $(PKGBUILD) && cpack -G DEB

# The whole suite, window tests included, under AddressSanitizer and
# UndefinedBehaviorSanitizer; the first report stops the test. Leaks are
# checked in every test program that does not start Qt, and in a start and
# close of the main window (tests/sanitize). The window test programs turn
# leak detection off in their own defaults (tests/support/sanitizer_ui.cpp
# says why), so ASAN_OPTIONS here leaves detect_leaks alone.
ASAN_BUILD ?= build-asan
ASAN_CXX   ?= g++
ASAN_ENV = QT_QPA_PLATFORM=offscreen \
  ASAN_OPTIONS=halt_on_error=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitize/lsan.supp:print_suppressions=0

$(ASAN_BUILD)/build.ninja:
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=$(ASAN_CXX) -DTSUMUGI_SANITIZE=ON $(LAUNCHER)

test-asan: deps $(ASAN_BUILD)/build.ninja
	$(ASAN_ENV) cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && $(ASAN_ENV) ctest --output-on-failure -j $(JOBS) $(CTEST_ARGS)

# Fuzz targets (listed in tests/fuzz/CMakeLists.txt), each run for
# FUZZ_SECONDS from its committed seeds (tests/fuzz/corpus/<name>/); what a
# run finds new is kept in the build folder, and an input that breaks a
# property is saved in $(FUZZ_BUILD)/artifacts/ and fails the target once
# every fuzzer has run (the full log of each is in $(FUZZ_BUILD)/logs/).
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_CXX     ?= clang++

$(FUZZ_BUILD)/build.ninja:
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=$(FUZZ_CXX) -DTSUMUGI_FUZZ=ON $(LAUNCHER)

fuzz: deps $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers
	@mkdir -p $(FUZZ_BUILD)/artifacts $(FUZZ_BUILD)/logs
	@failed=""; for exe in $(FUZZ_BUILD)/tests/fuzz/fuzz_*; do \
	  [ -f "$$exe" ] && [ -x "$$exe" ] || continue; \
	  name=$${exe##*/fuzz_}; \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$name tests/fuzz/corpus/$$name; \
	  echo "fuzz $$name: $(FUZZ_SECONDS) s"; \
	  if ! UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 $$exe \
	       -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 \
	       -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/artifacts/$$name- \
	       $(FUZZ_BUILD)/corpus/$$name tests/fuzz/corpus/$$name \
	       > $(FUZZ_BUILD)/logs/$$name.log 2>&1; then \
	    grep -E 'property failed|ERROR|SUMMARY|Test unit written' $(FUZZ_BUILD)/logs/$$name.log; \
	    failed="$$failed $$name"; \
	  fi; \
	  grep -E 'stat::number_of_executed_units|stat::new_units_added' $(FUZZ_BUILD)/logs/$$name.log; \
	done; \
	if [ -n "$$failed" ]; then echo "fuzz targets that failed:$$failed"; exit 1; fi

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
