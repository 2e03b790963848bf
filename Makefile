# Everything runs through CMake presets; these targets only chain them.
JOBS := $(shell nproc)
HOST_TREES := host asan tsan
ARM_TREES := armel armhf

.PHONY: all deps-host deps build-host build test demo fuzz format clean

all: build-host

deps-host:
	@tools/ensure-deps.sh host

deps:
	@tools/ensure-deps.sh all

build/%/CMakeCache.txt:
	@echo "== configuring $*"
	@cmake --preset $* >/dev/null

build-host: deps-host build/host/CMakeCache.txt
	@echo "== building host"
	@cmake --build build/host -j$(JOBS) >build/host.log 2>&1 || { cat build/host.log; exit 1; }

build: deps $(foreach t,$(HOST_TREES) $(ARM_TREES),build/$(t)/CMakeCache.txt)
	@for t in $(HOST_TREES) $(ARM_TREES); do \
	  echo "== building $$t"; \
	  cmake --build build/$$t -j$(JOBS) >build/$$t.log 2>&1 || { cat build/$$t.log; exit 1; }; \
	done

test: build
	@tools/run-tests.sh

# The demo builds only the programs it runs, not the host tree's tests.
DEMO_PROGRAMS := rqmsim rqmsimctl channel_demo rqmcli-sim rqmcli-hf-sim
comma := ,
demo: deps-host build/host/CMakeCache.txt
	@echo "== building $(subst $() ,$(comma) ,$(DEMO_PROGRAMS))"
	@cmake --build build/host -j$(JOBS) --target $(DEMO_PROGRAMS) >build/demo.log 2>&1 || { cat build/demo.log; exit 1; }
	@tools/demo.sh

# The fuzz targets for longer than make test gives them: make fuzz SECONDS=600
SECONDS ?= 60
fuzz: deps
	@tools/run-fuzz.sh $(SECONDS)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
