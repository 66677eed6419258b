# The two commands a newcomer types. Everything else is CMake presets.
.PHONY: test run gui dist fuzz bench clean

test:
	scripts/test

run:
	scripts/run

gui:
	scripts/gui

dist:
	scripts/dist

fuzz:
	scripts/fuzz

bench:
	scripts/bench

clean:
	rm -rf build/native build/native-asan build/win32 build/dist
