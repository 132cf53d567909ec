# Vexa: `make run` starts the workbench, `make test` builds everything and runs every test,
# `make check` is the quick native loop.
BUILD   ?= build
NATIVE  := $(BUILD)/native
WIN     := $(BUILD)/win
WIN64   := $(BUILD)/win64
JOBS    ?= $(shell nproc)
TOOLCHAIN := cmake/mingw-i686.cmake
TOOLCHAIN64 := cmake/mingw-x86_64.cmake

# The Windows tree whose programs run under Wine: the 32-bit one, or, on a host
# whose kernel cannot run 32-bit code (so 32-bit Wine cannot start), a 64-bit
# build of the same sources for wine64. Probed after `deps` has installed Wine.
WINE32 := /usr/lib/wine/wine
WINE_TREE = $(if $(shell $(WINE32) --version >/dev/null 2>&1 && echo ok),$(WIN),$(WIN64))

.PHONY: all deps native windows test check run check-display screenshot clean fuzz fuzz-build fuzz-check bench

all: native windows

deps:
	@scripts/install-deps.sh

native: deps
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXA_WINDOWS_BUILD_DIR=$(abspath $(WINE_TREE))
	cmake --build $(NATIVE) -j $(JOBS)

windows: deps
	@if [ -f $(TOOLCHAIN) ]; then \
	  cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=$(abspath $(TOOLCHAIN)) -DCMAKE_BUILD_TYPE=Release && \
	  cmake --build $(WIN) -j $(JOBS); \
	fi
	@if [ -f $(TOOLCHAIN64) ] && [ "$(WINE_TREE)" = "$(WIN64)" ]; then \
	  echo "windows: this host cannot run 32-bit code; building the Windows programs for wine64 as well"; \
	  cmake -S . -B $(WIN64) -DCMAKE_TOOLCHAIN_FILE=$(abspath $(TOOLCHAIN64)) -DCMAKE_BUILD_TYPE=Release && \
	  cmake --build $(WIN64) -j $(JOBS); \
	fi

# The workbench under Wine, on DISPLAY, in the Wine prefix the tests use.
VEXA_EXE ?= vexa.exe
run: check-display windows
	@if [ ! -f $(WINE_TREE)/bin/$(VEXA_EXE) ]; then echo "run: $(WINE_TREE)/bin/$(VEXA_EXE) is not built" >&2; exit 1; fi
	scripts/wine-run.sh $(NATIVE)/wine $(WINE_TREE)/bin/$(VEXA_EXE)

check-display:
	@if [ -z "$$DISPLAY" ]; then \
	  echo "run: no X display (DISPLAY is not set): the workbench is a window and needs a desktop." >&2; \
	  echo "run: start it from a terminal of a graphical session; 'make screenshot' pictures it without one." >&2; \
	  exit 1; \
	fi

# The README's picture: the workbench with one instruction set up, under Wine on
# a virtual display, in a Wine prefix of its own.
screenshot: windows
	scripts/screenshot.sh $(WINE_TREE)/bin $(BUILD)/screenshot docs/workbench.png

test: windows native
	@$(MAKE) --no-print-directory fuzz-check
	cd $(NATIVE) && ctest --output-on-failure -j $(JOBS)
	@cat $(NATIVE)/tests/differential/differential-summary.txt 2>/dev/null || true

# The quick loop: the native build and its unit tests, without the Windows
# tree, Wine, fuzzing or the differential run over the whole opcode space.
check: native
	cd $(NATIVE) && ctest --output-on-failure -j $(JOBS) -LE '^(wine|differential)$$'

# The libFuzzer target over decode + format, built with clang under ASan and
# UBSan in its own tree. `make test` runs it for FUZZ_CHECK_SECONDS, `make fuzz`
# for FUZZ_SECONDS; new inputs collect in $(FUZZ)/corpus, findings in $(FUZZ).
FUZZ := $(BUILD)/fuzz
FUZZ_CHECK_SECONDS ?= 60
FUZZ_SECONDS ?= 3600
FUZZ_RUN = mkdir -p $(FUZZ)/corpus && $(FUZZ)/fuzz/vexa_fuzz -max_len=96 -artifact_prefix=$(FUZZ)/ -print_final_stats=1
# The assembler's target: its own corpus, the syntax's tokens as a dictionary.
ASM_FUZZ_CHECK_SECONDS ?= 30
ASM_FUZZ_RUN = mkdir -p $(FUZZ)/asm-corpus && $(FUZZ)/fuzz/vexa_asm_fuzz -max_len=128 -dict=fuzz/assembler.dict \
  -artifact_prefix=$(FUZZ)/asm- -print_final_stats=1

fuzz-build: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXA_FUZZ=ON
	cmake --build $(FUZZ) -j $(JOBS) --target vexa_fuzz vexa_asm_fuzz

fuzz-check: fuzz-build
	@echo "fuzz-check: $(FUZZ_CHECK_SECONDS) s of fuzzing, log in $(FUZZ)/fuzz-check.log"
	@if $(FUZZ_RUN) -seed=1 -max_total_time=$(FUZZ_CHECK_SECONDS) $(FUZZ)/corpus fuzz/corpus \
	    > $(FUZZ)/fuzz-check.log 2>&1; then \
	  grep -E '^(Done|stat::number_of_executed_units)' $(FUZZ)/fuzz-check.log; \
	else tail -n 60 $(FUZZ)/fuzz-check.log; exit 1; fi
	@echo "fuzz-check: $(ASM_FUZZ_CHECK_SECONDS) s of fuzzing the assembler, log in $(FUZZ)/asm-fuzz-check.log"
	@if $(ASM_FUZZ_RUN) -seed=1 -max_total_time=$(ASM_FUZZ_CHECK_SECONDS) $(FUZZ)/asm-corpus fuzz/asm_corpus \
	    > $(FUZZ)/asm-fuzz-check.log 2>&1; then \
	  grep -E '^(Done|stat::number_of_executed_units)' $(FUZZ)/asm-fuzz-check.log; \
	else tail -n 60 $(FUZZ)/asm-fuzz-check.log; exit 1; fi

fuzz: fuzz-build
	$(FUZZ_RUN) -max_total_time=$(FUZZ_SECONDS) $(FUZZ)/corpus fuzz/corpus

# Optimised build of bench/ alone; prints the speedups over Zydis and Capstone,
# the cost of one composer refresh, vexa-asm against GNU as, and vexa-decode
# --list against objdump and ndisasm. Not part of `make test`.
bench: deps
	cmake -S . -B $(BUILD)/bench -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG"
	cmake --build $(BUILD)/bench --target vexa_bench vexa-asm vexa-asm-round-trip vexa-decode -j $(JOBS)
	$(BUILD)/bench/bench/vexa_bench --benchmark_repetitions=10 --benchmark_enable_random_interleaving=true \
	  --benchmark_report_aggregates_only=true \
	  --benchmark_out=$(BUILD)/bench/results.json --benchmark_out_format=json
	@python3 bench/speedups.py $(BUILD)/bench/results.json
	@python3 bench/assemble_vs_gnu_as.py $(BUILD)/bench
	@bench/listing_speed.sh $(BUILD)/bench/tools/vexa-decode $(BUILD)/bench/listing

clean:
	rm -rf $(BUILD)
