# Shortcuts for a machine that has make; the scripts themselves need only bash.
#   make run      ./run: install what running needs, build the viewer, start it
#   make test     ./test: install everything, build, run every test, sanitizers and fuzzer
#   make package  build build/nuv_<version>_amd64.deb
#   make windows  build build-windows/nuv.exe and its zip, for Windows
.PHONY: run test package windows

run:
	./run

test:
	./test

package:
	scripts/install-deps.sh package
	cmake -S . -B build -DNUV_TESTS=OFF -DNUV_BENCH=OFF
	cmake --build build -j $(shell nproc) --target package

windows:
	scripts/build-windows.sh
