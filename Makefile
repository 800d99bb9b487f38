# Packwatch: the two set-up commands of the README are `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)
CONFIGURE = cmake -S . -B $(1) -G Ninja -DCMAKE_BUILD_TYPE=$(2) -DPACKWATCH_SANITIZE=$(3)

.PHONY: deps run test test-asan test-tsan bench clean

deps:
	@scripts/install-deps.sh

$(BUILD)/build.ninja: | deps
	$(call CONFIGURE,$(BUILD),RelWithDebInfo,)

run: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)
	@scripts/run.sh $(BUILD)

test: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: deps
	$(call CONFIGURE,$(BUILD)-asan,Debug,address)
	cmake --build $(BUILD)-asan -j $(JOBS)
	cd $(BUILD)-asan && ctest --output-on-failure -j $(JOBS)

test-tsan: deps
	$(call CONFIGURE,$(BUILD)-tsan,Debug,thread)
	cmake --build $(BUILD)-tsan -j $(JOBS)
	cd $(BUILD)-tsan && ctest --output-on-failure -j $(JOBS)

bench: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)
	@for b in $(BUILD)/bin/bench_*; do [ -x "$$b" ] && "$$b" --benchmark_min_time=0.2; done

clean:
	rm -rf $(BUILD) $(BUILD)-asan $(BUILD)-tsan
