# Clipnest: `make run` starts the program, `make test` runs every test (on an X11 and on a
# Wayland test desktop: scripts/run-tests.sh).
# Both install what is missing first (scripts/install-deps.sh).

BUILD      ?= build
SAN_BUILD  ?= build-san
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=

.PHONY: all deps build build-san run test test-unit bench fuzz package format check-format clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCLIPNEST_WERROR=ON $(CMAKE_ARGS)
	cmake --build $(BUILD) -j $(JOBS)

build-san: deps
	cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCLIPNEST_WERROR=ON -DCLIPNEST_SANITIZE=ON $(CMAKE_ARGS)
	cmake --build $(SAN_BUILD) -j $(JOBS)

run: build
	bash scripts/run-app.sh $(BUILD)

# The formatting check comes first: it takes a second, the builds and tests take long.
test: check-format
	$(MAKE) build build-san
	bash scripts/run-tests.sh $(BUILD) $(SAN_BUILD)

bench: build
	bash scripts/with-test-desktop.sh bash bench/run-all.sh $(BUILD)

# Each fuzz target explores for FUZZ_SECONDS (default 60) from its seed corpus (tests/fuzz);
# `make test` replays the corpora.
fuzz: deps
	bash scripts/fuzz.sh

# A Debian package of the program: $(BUILD)/clipnest_<version>_<arch>.deb
package: build
	cmake --build $(BUILD) --target package

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

check-format: deps
	bash scripts/check-format.sh

clean:
	rm -rf $(BUILD) $(SAN_BUILD)
