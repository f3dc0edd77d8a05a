# Two commands, each doing its own set-up: `make run` and `make test`.
# Qt 5.15 unless QT=6 asks for the second build, which has folders and packages of its own.
QT ?= 5
# The package is the same either way; the Qt 6 one is built through a build profile into dist/qt6.
ifeq ($(QT),6)
BUILD_DIR ?= build-qt6
SANITIZE_DIR ?= build-sanitize-qt6
QT_PACKAGES := qt6-base-dev qt6-base-dev-tools qt6-wayland
DEB_DIR ?= build-deb-qt6
DEB_DIST := dist/qt6
DEB_PROFILES := -Ppkg.kubrisk.qt6
DEB_QT := qt6-base-dev qt6-base-dev-tools
DEB_QT_LIBRARY := libqt6widgets6
else
BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
QT_PACKAGES := qtbase5-dev libx11-dev qtwayland5
DEB_DIR ?= build-deb
DEB_DIST := dist
DEB_QT := qtbase5-dev libx11-dev
DEB_QT_LIBRARY := libqt5widgets5
endif
SANITIZERS := -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
# A Chinese font for the window's texts and Wayland's platform plugin; the checks' tools.
RUN_PACKAGES := cmake make g++ $(QT_PACKAGES) fonts-wqy-microhei
TEST_PACKAGES := $(RUN_PACKAGES) desktop-file-utils appstream xvfb xauth x11-utils \
	x11-xserver-utils x11-apps
# The packaging tools and the package's build dependencies, its tests' too (debian/control).
DEB_PACKAGES := build-essential debhelper dpkg-dev lintian cmake $(DEB_QT) \
	appstream desktop-file-utils x11-apps x11-utils x11-xserver-utils xauth xvfb
# `make fresh` runs COMMANDS in a fresh minimal root of Debian 13 (trixie), 12 (bookworm) or
# testing (forky), made in FRESH_DIR, which keeps the downloads for the next run.
DEBIAN ?= trixie
FRESH_DIR ?= /var/tmp/kubrisk-fresh
COMMANDS ?= make test && make deb && make autopkgtest
# `make windows` keeps its Debian 13 root, with Qt for Windows, in WINDOWS_DIR for later runs.
WINDOWS_DIR ?= /var/tmp/kubrisk-windows

.PHONY: run test bench sanitize deb autopkgtest fresh windows release build deps-run deps-test

run: deps-run build
	$(BUILD_DIR)/kubrisk

test: deps-test build
	cd $(BUILD_DIR) && ctest --output-on-failure
	@grep -h "random play:" $(BUILD_DIR)/Testing/Temporary/LastTest.log | sed 's/^.*random play/random play/' | sort -u || true

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer, with assertions on;
# any report fails the run.
sanitize: deps-test
	cmake -S . -B $(SANITIZE_DIR) -DKUBRISK_QT_MAJOR=$(QT) -DCMAKE_BUILD_TYPE=Debug \
		-DCMAKE_CXX_FLAGS="$(SANITIZERS)" -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZERS)"
	cmake --build $(SANITIZE_DIR) --parallel
	cd $(SANITIZE_DIR) && ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
		UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure

bench: deps-run build
	$(BUILD_DIR)/bench/bench_kubrisk

# The source and binary packages, built from a copy of the tracked files with the suite run at
# build time and checked by lintian (Debian 12's lintian knows no Standards-Version past its
# own); the binary package goes to dist/ (dist/qt6/ with QT=6), and tests/check-install.sh checks
# what it installs as it checks a CMake install.
deb:
	@sh tools/install-packages.sh $(DEB_PACKAGES)
	rm -rf $(DEB_DIR) && mkdir -p $(DEB_DIR)/kubrisk $(DEB_DIST)
	git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t $(DEB_DIR)/kubrisk
	cd $(DEB_DIR)/kubrisk && dpkg-buildpackage -us -uc $(DEB_PROFILES)
	lintian -I -E --pedantic --fail-on error,warning --suppress-tags newer-standards-version \
		$(DEB_DIR)/kubrisk_*.changes
	rm -f $(DEB_DIST)/kubrisk_*.deb && mv $(DEB_DIR)/kubrisk_*.deb $(DEB_DIST)/
	@sh tests/check-install.sh $(DEB_DIST)/kubrisk_*.deb $(DEB_QT_LIBRARY)

# The package's autopkgtest against the package in dist/. The null runner installs the package on
# this very system: `make fresh` runs it in a throw-away root.
autopkgtest:
	@sh tools/install-packages.sh autopkgtest
	$(if $(wildcard $(DEB_DIST)/kubrisk_*.deb),,$(MAKE) deb)
	autopkgtest $(DEB_DIST)/kubrisk_*.deb . -- null

# Needs root; see tools/fresh-debian.sh.
fresh:
	sh tools/fresh-debian.sh $(DEBIAN) $(FRESH_DIR) '$(COMMANDS)'

# The Windows program, its zip and its installer in dist/, tried under Wine; see tools/windows.sh.
windows:
	sh tools/windows.sh $(WINDOWS_DIR)

# Everything a release publishes, from the checked-out commit, with SHA256SUMS, in
# dist/kubrisk-VERSION/; see tools/release.sh.
release:
	sh tools/release.sh $(WINDOWS_DIR)

build:
	cmake -S . -B $(BUILD_DIR) -DKUBRISK_QT_MAJOR=$(QT)
	cmake --build $(BUILD_DIR) --parallel

deps-run:
	@sh tools/install-packages.sh $(RUN_PACKAGES)

deps-test:
	@sh tools/install-packages.sh $(TEST_PACKAGES)
