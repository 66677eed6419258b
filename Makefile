# The two commands a newcomer types. Everything else is CMake presets.
.PHONY: test run gui fuzz bench clean

test:
	scripts/test

run:
	scripts/run

gui:
	scripts/gui

fuzz:
	scripts/fuzz

bench:
	scripts/bench

clean:
	rm -rf build/native build/native-asan build/win32
