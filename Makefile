# make run:  install what is missing, build, start the viewer.
# make test: install what is missing, build, run every test (the real window under Xvfb), then
#            the unit tests again with address and undefined-behaviour sanitizers, and the
#            picture-record decoder's fuzzer for a short while.
BUILD ?= build
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 30

.PHONY: run test deps build sanitize fuzz

deps:
	@scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DNUV_WERROR=ON
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/nuv

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	$(MAKE) --no-print-directory sanitize fuzz

# The tests that need no display, built once more with the sanitizers.
sanitize: deps
	cmake -S . -B $(BUILD)-sanitize -DNUV_WERROR=ON -DNUV_SANITIZE=ON -DNUV_BENCH=OFF
	cmake --build $(BUILD)-sanitize -j $(JOBS) --target engine_tests frames_tests
	$(BUILD)-sanitize/tests/engine_tests --gtest_brief=1
	$(BUILD)-sanitize/tests/frames/frames_tests --gtest_brief=1

fuzz: deps
	cmake -S . -B $(BUILD)-fuzz -DCMAKE_CXX_COMPILER=clang++ -DNUV_FUZZ=ON -DNUV_BENCH=OFF
	cmake --build $(BUILD)-fuzz -j $(JOBS) --target decode_fuzz
	tests/fuzz/run.sh $(BUILD)-fuzz/tests/fuzz/decode_fuzz $(FUZZ_SECONDS)
