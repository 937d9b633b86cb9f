# Shortcuts for a machine that has make; the scripts themselves need only bash.
#   make run      ./run: install what running needs, build the viewer, start it
#   make test     ./test: install everything, build, run every test, sanitizers and fuzzer
#   make package  build build/nuv_<version>_amd64.deb
#   make windows  build build-windows/nuv.exe and its zip, for Windows
#   make web      build the web page in build-web/ and its zip
#   make web-serve  serve build-web/ at http://127.0.0.1:8080/ for a browser on this machine
.PHONY: run test package windows web web-serve

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

web:
	scripts/build-web.sh

web-serve:
	node scripts/serve-web.mjs build-web 8080
