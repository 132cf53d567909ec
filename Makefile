# Vexa: `make run` starts the workbench, `make test` builds everything and runs every test.
BUILD   ?= build
NATIVE  := $(BUILD)/native
WIN     := $(BUILD)/win
JOBS    ?= $(shell nproc)
TOOLCHAIN := cmake/mingw-i686.cmake

.PHONY: all deps native windows test run clean bench

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

# Optimised build of bench/ alone; prints the speedups over Zydis and Capstone
# and the cost of one composer refresh. Not part of `make test`.
bench: deps
	cmake -S . -B $(BUILD)/bench -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG"
	cmake --build $(BUILD)/bench --target vexa_bench -j $(JOBS)
	$(BUILD)/bench/bench/vexa_bench --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true \
	  --benchmark_report_aggregates_only=true \
	  --benchmark_out=$(BUILD)/bench/results.json --benchmark_out_format=json
	@python3 bench/speedups.py $(BUILD)/bench/results.json

clean:
	rm -rf $(BUILD)
