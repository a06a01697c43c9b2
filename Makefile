# Two commands on a fresh machine: `make demo` and `make test`.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-bench
FUZZ_BUILD ?= build-fuzz
WINDOWS_BUILD ?= build-windows
FUZZ_SECONDS ?= 60

PREFIX ?= /usr/local

.PHONY: deps build demo test test-release test-asan test-package cluster-test browser-test \
        windows-test windows-package install package bench fuzz clean

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	bash scripts/demo.sh $(BUILD)/quorvex

test: test-release test-asan test-package

test-release: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQUORVEX_SANITIZE=ON >/dev/null
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

# The Debian package (quorvex_<version>_<arch>.deb in $(BUILD)), installed and run in a
# scratch root.
test-package: build
	bash tests/package/run.sh $(BUILD)

# A batch of 500 tiles in 4 parts on GNU parallel and on a one-node Slurm cluster started by the
# test (as root), with the scripts of scripts/cluster/; not part of `test`.
cluster-test: build
	cmake --build $(BUILD) --target make_tile -j $(JOBS)
	bash tests/cluster/run.sh $(BUILD)

# The fit report rendered in headless Chromium (installed when missing); not part of `test`.
browser-test: build
	bash scripts/browser-test.sh $(BUILD)/quorvex

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

package: build
	cd $(BUILD) && cpack -G DEB

# Cross-built for Windows and run under Wine; the Linux build's demo is the reference. Ends
# with the download (windows-package) unpacked, installed and uninstalled under Wine.
windows-test: build
	JOBS=$(JOBS) bash scripts/windows-test.sh $(BUILD)/quorvex $(WINDOWS_BUILD)

# The Windows download in $(WINDOWS_BUILD): quorvex-<version>-win64.zip and the installer
# quorvex-<version>-win64-setup.exe (NSIS).
windows-package:
	JOBS=$(JOBS) bash scripts/windows-build.sh $(WINDOWS_BUILD) quorvex
	bash scripts/windows-package.sh $(WINDOWS_BUILD)

bench: deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DQUORVEX_BENCH=ON -DQUORVEX_TESTS=OFF >/dev/null
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	bash bench/run.sh $(BENCH_BUILD)

fuzz: deps
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEX_FUZZ=ON -DQUORVEX_TESTS=OFF >/dev/null
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	bash tests/fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD) $(WINDOWS_BUILD)
