# make run   - install what is missing, build, and start the configurator
# make test  - install what is missing, build, and run every test
# make bench - build and run the benchmarks
# make fuzz  - build and run the fuzz targets for FUZZ_SECONDS each

BUILD       ?= build/release
JOBS        ?= $(shell nproc)
FUZZ_SECONDS ?= 300

.PHONY: all setup build run test bench fuzz sanitize clean

all: build

setup:
	@scripts/setup.sh

$(BUILD)/CMakeCache.txt: | setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: setup $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -x $(BUILD)/app/LumvexQ310DConfigurator ]; then \
	  $(BUILD)/app/LumvexQ310DConfigurator; \
	else \
	  echo "The configurator's main window is not built yet: the libraries and tests were built, nothing to start."; \
	fi

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: setup
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DQ310_TESTS=OFF -DQ310_GUI=ON -DQ310_BENCH=ON
	cmake --build build/bench -j $(JOBS)
	@for b in build/bench/tests/*_bench; do echo "== $$b"; $$b; done

fuzz: setup
	FUZZ_SECONDS=$(FUZZ_SECONDS) scripts/fuzz.sh

sanitize: setup
	scripts/sanitize.sh

clean:
	rm -rf build
