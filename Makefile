# Entry points: `make run` plays the demo (renders it to vorn.mp4 when there
# is no display), `make test` runs every test.
# Both install what is missing first (Debian packages, as root or via sudo).

BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 120
FUZZ_TARGETS = jpeg mp3 blur_atlas
JOBS       ?= 2
SOAK_MINUTES ?= 10

.PHONY: deps build run test references mutate bench bench-compare gpu-check asan fuzz soak tune images readme-strip windows test-windows web serve test-web bench-web deb test-deb clean

deps:
	@sh packaging/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

# With no display the show is rendered to vorn.mp4 instead of played. Only
# the program that runs is built, its compiler output kept in a log that is
# shown when the build fails.
run: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then program=vorn-capture; else program=vorn; fi; \
	echo "Building $$program (compiler output in $(BUILD)/run-build.log)"; \
	cmake --build $(BUILD) -j$(JOBS) --target $$program >$(BUILD)/run-build.log 2>&1 || \
		{ cat $(BUILD)/run-build.log; exit 1; }; \
	if [ $$program = vorn-capture ]; then \
		echo "No display (DISPLAY and WAYLAND_DISPLAY are unset): rendering the whole show to vorn.mp4 instead."; \
		./$(BUILD)/vorn-capture --from 0 --fps 30 --size 1280x720 --out "$(CURDIR)/vorn.mp4"; \
	else \
		./$(BUILD)/vorn; \
	fi

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# Regenerates the reference frames of tests/frames/ (only for a change to the
# picture that is meant: say why in the commit).
references: build
	VORN_WRITE_REFERENCES=1 ./$(BUILD)/tests/test_frames --gtest_filter='ReferenceFrames.*'

# Mutation testing (not in CI: it takes long): each mutant of tests/tools/mutants.txt
# applied in turn to a copy of the tree in build-mutate/, built and tested.
# MUTANTS=name,name or MUTANTS=show/grain.cpp runs only some; EXCLUDE=regex
# leaves tests out (e.g. EXCLUDE=e2e_).
mutate: deps
	python3 tests/tools/mutate.py --jobs $(JOBS) $(if $(MUTANTS),--only $(MUTANTS)) $(if $(EXCLUDE),--exclude '$(EXCLUDE)')

# Benchmarks; pass Google Benchmark flags with BENCH_ARGS="--benchmark_filter=iso".
bench: build
	./$(BUILD)/bench/vorn_bench $(BENCH_ARGS)

# Frames per second of version 1.0.0 (the tag v1.0.0) beside the current
# tree: vorn-capture --bench of both, interleaved, built in build-compare/.
# BENCH_COMPARE_ARGS="--rounds 9" etc. (bench/bench_compare.py --help).
bench-compare: deps
	python3 bench/bench_compare.py --jobs $(JOBS) $(BENCH_COMPARE_ARGS)

# The show on whatever GL this machine has (a GPU's EGL device where there
# is one, else Mesa): the reference frames drawn with both backends against
# tests/frames/, frames per second at 1280x720, 1920x1080 and 3840x2160, the
# capture rate of a 10 s mp4 at 1920x1080, and the GL's vendor, renderer
# and version. GPU_CHECK_ARGS=--smoke runs the short form that CI runs.
gpu-check: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j$(JOBS) --target vorn-capture gl_info
	/usr/bin/python3 tests/tools/gpu_check.py --capture $(BUILD)/vorn-capture --gl-info $(BUILD)/tests/tools/gl_info \
		--out $(BUILD)/gpu-check $(GPU_CHECK_ARGS)

# The tests under AddressSanitizer and UndefinedBehaviorSanitizer.
asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVORN_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j$(JOBS)

# The demo played for SOAK_MINUTES with the music looping and developer keys
# pressed at random; fails on memory growth, noise on standard error or a crash.
soak: build
	SOAK_MINUTES=$(SOAK_MINUTES) sh tests/soak.sh $(BUILD)/vorn . $(BUILD)/soak.work

# libFuzzer targets (clang) under ASan and UBSan, one per input read from
# disk: each runs over its seed corpus (made from data/) and then on fresh
# inputs until FUZZ_SECONDS have passed. An input that crashes, leaks or
# runs over 1 s stops it and is saved under $(FUZZ_BUILD)/findings/.
fuzz: deps
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
		-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j$(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	@sh fuzz/make-fuzz-seeds.sh $(FUZZ_BUILD)/seeds
	@sh fuzz/run-fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# Regenerate the committed soundtrack and images.
tune: build
	sh generators/make-tune.sh $(BUILD)

images: build
	./$(BUILD)/generators/gen_images data

# The README's picture: four moments of the show side by side.
readme-strip: build
	sh generators/make-readme-strip.sh $(BUILD) show-strip.jpg

# Cross-built for 64-bit and 32-bit Windows: build-windows/vorn-<version>-win64.zip
# and -win32.zip (the libraries are built once into ~/.cache/vorn-windows).
windows:
	@JOBS=$(JOBS) sh packaging/windows/build.sh

# The 64-bit Windows build (made first if needed) played under Wine on a
# virtual display, and its vorn-capture compared with the Linux one.
test-windows: deps
	@JOBS=$(JOBS) sh packaging/windows/build.sh win64
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j$(JOBS) --target vorn-capture
	LINUX_CAPTURE=$(BUILD)/vorn-capture sh packaging/windows/test.sh

# The web page build-web/vorn/ (WebAssembly and WebGL 2; the libraries are
# built once into ~/.cache/vorn-web).
web:
	@JOBS=$(JOBS) sh packaging/web/build.sh

# The page served on 127.0.0.1 (PORT, default 8000) until Ctrl-C.
PORT ?= 8000
serve: web
	@echo "VORN at http://127.0.0.1:$(PORT)/ (Ctrl-C stops the server)"
	@python3 -m http.server --bind 127.0.0.1 --directory build-web/vorn $(PORT)

# The page in headless chromium, then in firefox-esr under a virtual display
# (driven by puppeteer-core from tests/web's lock file, no browser
# downloaded), against the Linux vorn-capture (screenshots and frames in
# build-web/test/). Debian's own python3, which has selenium.
test-web: web
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j$(JOBS) --target vorn-capture
	/usr/bin/python3 tests/web/test.py --capture $(BUILD)/vorn-capture --page build-web/vorn --out build-web/test
	@PUPPETEER_SKIP_DOWNLOAD=1 npm ci --prefix tests/web --no-audit --no-fund --loglevel=error
	xvfb-run -a -s "-screen 0 1400x900x24" node tests/web/firefox.mjs --capture $(BUILD)/vorn-capture --page build-web/vorn --out build-web/test/firefox

# Frame times of the show in headless chromium and natively, side by side.
bench-web: web
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j$(JOBS) --target vorn-capture
	/usr/bin/python3 tests/web/bench.py --capture $(BUILD)/vorn-capture --page build-web/vorn

# The Debian package build-deb/vorn_<version>_<arch>.deb.
deb:
	@JOBS=$(JOBS) sh packaging/deb/build.sh

# The package checked by lintian, installed, played from / under a virtual
# display, captured from /tmp, then purged, leaving nothing behind.
test-deb: deb
	@sh packaging/deb/test.sh

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) build-windows build-web build-deb
