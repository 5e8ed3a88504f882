# The commands of the README. Each one installs what it needs first.
.PHONY: test demo run dist bench fuzz deps native win64 screenshots clean

# Every test: native, sanitizers and the Windows build under Wine.
test: deps
	@tools/run-tests.sh

# The program's main job on built-in demo data.
demo: native
	@tools/demo.sh

# The program itself under Wine, with the GPS logger and a day's photos
# ready (needs a display).
run: native win64
	@tools/run.sh

# What goes to users, under build/dist: the program folder with the manual,
# its zip, and the Windows setup program.
dist: win64
	@tools/dist.sh

# Speed: reading a day's log, matching 2000 photos against 1000 logs,
# writing 500 photos against copying them, and opening and writing photos
# of 1 to 120 MB (not tests).
bench: native win64
	@build/native/bench/nmea_reader_bench
	@build/native/bench/matching_bench
	@build/native/bench/photo_writing_bench
	@build/native/bench/exif_reading_bench
	@tools/photo-window-bench.sh
	@tools/year-of-logs-bench.sh

# Longer fuzz runs (ten minutes per target) than make test does.
fuzz: deps
	@cmake -S . -B build/fuzz -G Ninja -DVANTORA_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ \
		-DCMAKE_C_COMPILER=clang -DFUZZ_SECONDS=600 >/dev/null
	@cmake --build build/fuzz
	@cd build/fuzz && ctest --output-on-failure --timeout 0

# PNGs of every window under build/win64/screenshots (and at 144 dpi in its
# folder 144), to look at.
screenshots: win64
	@tools/screenshots.sh

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
