# The one entry: set-up, the demo, the tests and the benchmarks.
SHELL := /bin/bash
.PHONY: setup build demo test bench clean

setup:
	@bash scripts/setup.sh

build: setup
	@bash scripts/build.sh

demo: build
	@bash scripts/demo.sh

test: build
	@bash scripts/run-tests.sh

bench: build
	@bash scripts/run-bench.sh

clean:
	rm -rf build
