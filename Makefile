# make run: install what is missing, build, start the viewer.
# make test: install what is missing, build, run every test (the real window under Xvfb).
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: run test deps build

deps:
	@scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DNUV_WERROR=ON
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/nuv

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
