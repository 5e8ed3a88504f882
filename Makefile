# The commands of the README. Each one installs what it needs first.
.PHONY: test demo bench deps native win64 clean

# Every test: native, sanitizers and the Windows build under Wine.
test: deps
	@tools/run-tests.sh

# The program's main job on built-in demo data.
demo: native
	@tools/demo.sh

# Speed of the log reader on a day's log (not a test).
bench: native
	@build/native/bench/nmea_reader_bench

deps:
	@tools/install-deps.sh

native: deps
	@cmake -S . -B build/native -G Ninja >/dev/null
	@cmake --build build/native

win64: deps
	@cmake -S . -B build/win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
	@cmake --build build/win64

clean:
	rm -rf build
