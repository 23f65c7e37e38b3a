# Thin front end over the CMake presets. Every target first installs what is missing.
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
FUZZ_SECONDS ?= 60

.PHONY: all build run test test-asan fuzz package screenshot bench format clean windows test-windows

all: build

deps-%:
	@scripts/install-deps.sh $*

build: deps-build
	cmake --preset default
	cmake --build --preset default -j $(JOBS)

run: deps-run build
	./build/app/tickora

test: deps-test build
	ctest --preset default -j $(JOBS)

test-asan: deps-test
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

fuzz: deps-fuzz
	scripts/fuzz.sh $(FUZZ_SECONDS)

package: deps-package build
	cd build && cpack -G DEB

screenshot: deps-screenshot build
	scripts/screenshot.sh

# 64-bit Windows: Qt built once from Debian's source into ~/.cache/tickora, then the zip and the
# installer; test-windows runs the suites and the packages under Wine.
windows: deps-windows
	scripts/package-windows.sh

test-windows: windows build
	ctest --preset windows -j $(JOBS)
	tests/windows/check_windows.sh

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build build-asan build-fuzz build-windows

bench: build
	cmake --build build --target tickora-bench-plan tickora-bench-delay
	./build/tickora-bench-plan
	./build/tickora-bench-delay
