# Entry points: `make demo` and `make test` work on a fresh Debian 12 machine.
BUILD ?= build
ASAN_BUILD ?= build-asan
CMAKE_FLAGS ?= -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: deps build test asan demo bench clean

deps:
	scripts/bootstrap

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTREL_SANITIZE=ON >/dev/null
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS) -LE e2e

bench: deps
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTREL_BENCH=ON -DVANTREL_TESTS=OFF >/dev/null
	cmake --build build-bench -j $(JOBS)
	bench/run build-bench

# The main job on the bundled example: check it, generate its client, list
# the generated files, and show the unused-endpoint lint on its app.
demo: build
	./$(BUILD)/vantrel --version
	./$(BUILD)/vantrel --root examples/bookshop check
	./$(BUILD)/vantrel --root examples/bookshop generate --contract-json
	@cd examples/bookshop && find target/vantrel/packages -type f | sort
	./$(BUILD)/vantrel --root examples/bookshop check --unused

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
