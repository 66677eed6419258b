# The two commands a newcomer types. Everything else is CMake presets.
.PHONY: test run gui fuzz bench clean

test:
	scripts/test

run:
	scripts/run

gui:
	@if [ -x scripts/gui ]; then scripts/gui; else echo "The Windows program's main window is not built yet; make run makes a PDF with the command line."; fi

fuzz:
	scripts/fuzz

bench:
	scripts/bench

clean:
	rm -rf build/native build/native-asan build/win32
