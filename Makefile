# Vexa: `make run` starts the workbench, `make test` builds everything and runs every test.
BUILD   ?= build
NATIVE  := $(BUILD)/native
WIN     := $(BUILD)/win
JOBS    ?= $(shell nproc)
TOOLCHAIN := cmake/mingw-i686.cmake

.PHONY: all deps native windows test run clean

all: native windows

deps:
	@scripts/install-deps.sh

native: deps
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXA_WINDOWS_BUILD_DIR=$(abspath $(WIN))
	cmake --build $(NATIVE) -j $(JOBS)

windows: deps
	@if [ -f $(TOOLCHAIN) ]; then \
	  cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=$(abspath $(TOOLCHAIN)) -DCMAKE_BUILD_TYPE=Release && \
	  cmake --build $(WIN) -j $(JOBS); \
	fi

test: windows native
	cd $(NATIVE) && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD)
