# SPDX-License-Identifier: GPL-3.0-or-later
# Thin wrapper over CMake: make demo | test | bench | fuzz | package
JOBS ?= $(shell nproc)
BUILD := build
TEST_BUILD := build/test
FUZZ_BUILD := build/fuzz
CORPUS ?= $(abspath ../shared/corpus)

.PHONY: all deps build demo test unit-test fuzz-build fuzz-smoke bench fuzz package clean

all: build

deps:
	@scripts/install-deps

# The programs; the tests build in $(TEST_BUILD). The benchmarks also need the tests'
# image writer, so for them the test targets are configured as well.
BUILD_TESTS ?= OFF
build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVELO_WERROR=ON \
	    -DTARVELO_TESTS=$(BUILD_TESTS)
	cmake --build $(BUILD) -j $(JOBS)

# The sample disc as an image made from examples/sample-disc, the same bytes on every machine.
SAMPLE_DISC := $(BUILD)/examples/sample-disc.iso
DEMO_CATALOG := $(BUILD)/demo-catalog.sqlite

demo: build
	scripts/make-sample-disc examples/sample-disc $(SAMPLE_DISC)
	LC_NUMERIC=C $(BUILD)/bin/tarvelo-report --force $(SAMPLE_DISC) -o $(BUILD)/demo-report.txt
	@cat $(BUILD)/demo-report.txt
	rm -f $(DEMO_CATALOG) $(DEMO_CATALOG)-wal $(DEMO_CATALOG)-shm
	LC_NUMERIC=C $(BUILD)/bin/tarvelo-catalog --catalog $(DEMO_CATALOG) add --name "Sample disc" $(SAMPLE_DISC)
	$(BUILD)/bin/tarvelo-catalog --catalog $(DEMO_CATALOG) find LETTERS

test: unit-test fuzz-smoke

# $(BUILD)/package/tarvelo_VERSION_ARCH.deb, built with Debian's compiler flags.
package: deps
	packaging/build-deb $(BUILD)/package

# Every bench/*_bench.sh takes the build folder and prints its own figures.
bench: BUILD_TESTS = ON
bench: build
	@for script in bench/*_bench.sh; do \
	    echo "== $$script"; bash $$script $(BUILD) || exit 1; \
	done

unit-test: deps
	cmake -S . -B $(TEST_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTARVELO_WERROR=ON \
	    -DTARVELO_SANITIZE=ON -DTARVELO_CORPUS_DIR=$(CORPUS)
	cmake --build $(TEST_BUILD) -j $(JOBS)
	cd $(TEST_BUILD) && ctest --output-on-failure -j $(JOBS)

# Each fuzzer fuzz/fuzz_NAME.cpp reads its seeds from the folders in SEEDS_fuzz_NAME;
# new inputs go under build/fuzz-work, never into the seeds.
FUZZERS := $(patsubst fuzz/%.cpp,%,$(wildcard fuzz/fuzz_*.cpp))
FUZZ_WORK := build/fuzz-work
SMOKE_RUNS ?= 20000
FUZZ_SECONDS ?= 300
# Without the corpus of real archives the archive fuzzers start from seeds made here.
MADE_ARCHIVE_SEEDS := build/archive-seeds
ARCHIVE_SEEDS := $(if $(wildcard $(CORPUS)/MANIFEST.tsv),$(CORPUS),$(MADE_ARCHIVE_SEEDS))
SEEDS_fuzz_zip_reader := $(ARCHIVE_SEEDS)/zip
SEEDS_fuzz_rar_reader := $(ARCHIVE_SEEDS)/rar
ISO_SEEDS := build/iso-seeds
SEEDS_fuzz_iso_reader := $(ISO_SEEDS)
UDF_SEEDS := build/udf-seeds
SEEDS_fuzz_report := $(ISO_SEEDS) $(UDF_SEEDS)
SEEDS_fuzz_udf_reader := $(UDF_SEEDS)

fuzz-build: deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	    -DTARVELO_FUZZ=ON -DTARVELO_GUI=OFF -DTARVELO_TESTS=OFF -DTARVELO_WERROR=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	fuzz/make_iso_seeds.sh $(ISO_SEEDS)
	fuzz/make_udf_seeds.sh $(UDF_SEEDS) $(FUZZ_BUILD)/bin/udf_image_tool
ifeq ($(ARCHIVE_SEEDS),$(MADE_ARCHIVE_SEEDS))
	@echo "No archive corpus in $(CORPUS): the archive fuzzers start from $(ARCHIVE_SEEDS)"
	fuzz/make_archive_seeds.py $(ARCHIVE_SEEDS)
endif

FUZZ_FLAGS := -timeout=10 -rss_limit_mb=2048
run_fuzzer = mkdir -p $(FUZZ_WORK)/$(1) && \
    $(FUZZ_BUILD)/bin/$(1) $(2) $(FUZZ_FLAGS) $(FUZZ_WORK)/$(1) $(SEEDS_$(1))

fuzz-smoke: fuzz-build
	$(foreach f,$(FUZZERS),$(call run_fuzzer,$(f),-runs=$(SMOKE_RUNS) -seed=1) &&) true

fuzz: fuzz-build
	$(foreach f,$(FUZZERS),$(call run_fuzzer,$(f),-max_total_time=$(FUZZ_SECONDS)) &&) true

clean:
	rm -rf $(BUILD)
