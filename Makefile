# Entry points: `make run` plays the demo, `make test` runs every test.
# Both install what is missing first (Debian packages, as root or via sudo).

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= 2
SOAK_MINUTES ?= 10

.PHONY: deps build run test bench asan soak tune images clean

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

# The demo played for SOAK_MINUTES with the music looping and developer keys
# pressed at random; fails on memory growth, noise on standard error or a crash.
soak: build
	SOAK_MINUTES=$(SOAK_MINUTES) sh tests/soak.sh $(BUILD)/vorn . $(BUILD)/soak.work

# Regenerate the committed soundtrack and images.
tune: build
	sh tools/make-tune.sh $(BUILD)

images: build
	./$(BUILD)/tools/gen_images data

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
