# The two commands of a fresh Debian 12 machine:
#   make run    build and run Quobrix on a demo task (the desktop program when
#               there is a display, the headless demo otherwise)
#   make test   build and run the whole test suite
# Both install what is missing first (scripts/install-deps.sh).
#   make install [PREFIX=/usr/local]   installs quobrix, quobrix-cli, the user
#               manual, the desktop entry and the icons

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
PREFIX ?= /usr/local
CMAKE_ARGS ?=

.PHONY: all deps configure build run test install clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_ARGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR)

run: build
	@scripts/run.sh $(BUILD_DIR)

test: build
	@ctest --test-dir $(BUILD_DIR) --output-on-failure -j2

install: build
	@cmake --install $(BUILD_DIR) --prefix $(PREFIX)
	@update-desktop-database -q $(PREFIX)/share/applications 2>/dev/null || true
	@gtk-update-icon-cache -q -t $(PREFIX)/share/icons/hicolor 2>/dev/null || true

clean:
	rm -rf $(BUILD_DIR)
