# Tarnvel: `make run` builds and starts the program, `make test` runs every test,
# `make package` makes the Debian package and `make package-check` checks it as
# installed. Each first installs the Debian packages that are missing (run as root).

BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 600
JOBS       ?= 2
PACKAGES   := cmake make g++ qt6-base-dev libsqlite3-dev libgtest-dev libgmock-dev libbenchmark-dev \
              libgl1-mesa-dev fonts-dejavu-core
# The package's making (dpkg-shlibdeps reads the libraries with `file`) and its
# check: the desktop entry's and the MIME type's validators, and a look into
# the store the installed program made.
PACKAGE_TOOLS := dpkg-dev file desktop-file-utils shared-mime-info libxml2-utils sqlite3

.PHONY: deps package-deps fuzz-deps configure build run test package package-check bench test-asan fuzz clean

# Installs whichever of the packages $(1) are missing.
define install-missing
@missing=""; \
	for p in $(1); do dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $$missing; \
	fi
endef

deps:
	$(call install-missing,$(PACKAGES))

package-deps:
	$(call install-missing,$(PACKAGE_TOOLS))

fuzz-deps:
	@dpkg-query -W -f='$${Status}' clang 2>/dev/null | grep -q 'install ok installed' && \
	dpkg-query -W -f='$${Status}' libclang-rt-14-dev 2>/dev/null | grep -q 'install ok installed' || \
	(apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends clang libclang-rt-14-dev)

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j$(JOBS)

run: build
	$(BUILD)/tarnvel

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

# The .deb is made from the build the tests ran on; an older one is removed
# first, so the check finds exactly this one.
package: build package-deps
	rm -f $(BUILD)/tarnvel_*.deb
	cd $(BUILD) && cpack -G DEB

package-check: package
	.ci/package_check.sh $(BUILD)

bench: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNVEL_BENCH=ON
	cmake --build $(BUILD) -j$(JOBS) --target tarnvel_bench
	$(BUILD)/bench/tarnvel_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTARNVEL_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j$(JOBS)

# Each fuzzer runs FUZZ_SECONDS on a scratch corpus seeded from tests/data; what
# it finds is left in $(FUZZ_BUILD)/ as crash-* files to be kept under tests/data/fuzz/.
fuzz: deps fuzz-deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DTARNVEL_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j$(JOBS) --target scenario_fuzzer numbers_fuzzer
	mkdir -p $(FUZZ_BUILD)/corpus/scenario $(FUZZ_BUILD)/corpus/numbers
	cp tests/data/fuzz/scenario/* $(FUZZ_BUILD)/corpus/scenario/
	cp tests/data/fuzz/numbers/* $(FUZZ_BUILD)/corpus/numbers/
	$(FUZZ_BUILD)/tests/fuzz/scenario_fuzzer -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
	  -artifact_prefix=$(FUZZ_BUILD)/scenario- $(FUZZ_BUILD)/corpus/scenario
	$(FUZZ_BUILD)/tests/fuzz/numbers_fuzzer -max_total_time=$(FUZZ_SECONDS) -max_len=64 \
	  -artifact_prefix=$(FUZZ_BUILD)/numbers- $(FUZZ_BUILD)/corpus/numbers

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
