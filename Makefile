# Two commands, each doing its own set-up: `make run` and `make test`.
BUILD_DIR ?= build
RUN_PACKAGES := cmake make g++ qtbase5-dev
TEST_PACKAGES := $(RUN_PACKAGES)

.PHONY: run test bench build deps-run deps-test

run: deps-run build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ] && [ -z "$$QT_QPA_PLATFORM" ]; then \
		echo "kubrisk: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); start it from a desktop session."; \
		exit 1; \
	fi
	$(BUILD_DIR)/kubrisk

test: deps-test build
	cd $(BUILD_DIR) && ctest --output-on-failure

bench: deps-run build
	$(BUILD_DIR)/bench/bench_kubrisk

build:
	cmake -S . -B $(BUILD_DIR)
	cmake --build $(BUILD_DIR) --parallel

deps-run:
	@sh tools/install-packages.sh $(RUN_PACKAGES)

deps-test:
	@sh tools/install-packages.sh $(TEST_PACKAGES)
