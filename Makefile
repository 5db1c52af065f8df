# Entry points: `make run` plays the demo, `make test` runs every test.
# Both install what is missing first (Debian packages, as root or via sudo).

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= 2

.PHONY: deps build run test bench asan tune images windows test-windows clean

deps:
	@sh tools/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

run: build
	./$(BUILD)/vorn

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# Benchmarks; pass Google Benchmark flags with BENCH_ARGS="--benchmark_filter=iso".
bench: build
	./$(BUILD)/bench/vorn_bench $(BENCH_ARGS)

# The tests under AddressSanitizer and UndefinedBehaviorSanitizer.
asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVORN_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j$(JOBS)

# Regenerate the committed soundtrack and images.
tune: build
	sh tools/make-tune.sh $(BUILD)

images: build
	./$(BUILD)/tools/gen_images data

# Cross-built for 64-bit and 32-bit Windows: build-windows/vorn-win64.zip and
# vorn-win32.zip (the libraries are built once into ~/.cache/vorn-windows).
windows:
	@JOBS=$(JOBS) sh tools/windows/build.sh

# The 64-bit Windows build (made first if needed) played under Wine on a
# virtual display.
test-windows:
	@JOBS=$(JOBS) sh tools/windows/build.sh win64
	sh tools/windows/test.sh

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-windows
