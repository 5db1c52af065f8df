# Entry points: `make run` plays the demo (renders it to vorn.mp4 when there
# is no display), `make test` runs every test.
# Both install what is missing first (Debian packages, as root or via sudo).

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= 2

.PHONY: deps build run test bench asan tune images clean

deps:
	@sh tools/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

# With no display the show is rendered to vorn.mp4 instead of played.
run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
		echo "No display (DISPLAY and WAYLAND_DISPLAY are unset): rendering the whole show to vorn.mp4 instead."; \
		./$(BUILD)/vorn-capture --from 0 --fps 30 --size 1280x720 --out vorn.mp4 >/dev/null && \
		echo "$(CURDIR)/vorn.mp4"; \
	else \
		./$(BUILD)/vorn; \
	fi

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

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
