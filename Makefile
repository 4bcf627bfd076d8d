# Developer entry points. `make run` and `make test` install what is missing first.
BUILD ?= build
JOBS  ?= $(shell nproc)
CMAKE_FLAGS ?=

# Debian packages the project needs to build, test and run.
DEPS = cmake ninja-build g++ clang qt6-base-dev qt6-base-dev-tools libgl-dev \
       libgtest-dev libgmock-dev googletest libbenchmark-dev \
       fonts-ipafont-gothic xvfb xdotool xauth \
       desktop-file-utils at-spi2-core python3-pyatspi dbus-daemon \
       libclang-rt-14-dev

.PHONY: all deps configure build run test screenshots bench package clean

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
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

screenshots: build
	QT_QPA_PLATFORM=offscreen ./$(BUILD)/meibo-screenshots $(BUILD)/screenshots

# The Debian package, built in its own folder with the install prefix /usr: the
# program compares its folder with the prefix it was built for to decide where
# its settings live. Only the program and its icons are built there; the tests
# run in $(BUILD). The package lands in $(BUILD)/deb/.
PKGBUILD = $(BUILD)/deb

package: deps
	cmake -S . -B $(PKGBUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON $(LAUNCHER) $(CMAKE_FLAGS)
	cmake --build $(PKGBUILD) -j $(JOBS) --target meibo icons
	cd $(PKGBUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD)
