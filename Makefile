# Two commands, each doing its own set-up: `make run` and `make test`.
# Qt 5.15 unless QT=6 asks for the second build, which has folders and packages of its own.
QT ?= 5
# ARCH names another Debian architecture (arm64, armhf, s390x, i386, ...) for `make test` and
# `make deb`: they cross-build with Debian's cross toolchain against that architecture's multiarch
# packages, in a Debian 12 root kept in CROSS_DIR whatever this machine's release, and run the
# built programs under qemu-user. tools/kept-root.sh runs make again there, with CROSS_DIR=/.
ARCH ?=
CROSS_DIR ?= /var/tmp/kubrisk-cross
# DEBIAN=trixie builds for Debian 13 instead (`make test`, `make deb`, `make autopkgtest`), in the
# kept Debian 13 root of `make windows` and `make web` (TRIXIE_DIR), into folders of their own:
# build-trixie..., build-deb-trixie... and dist/trixie/. `make fresh` makes a root of DEBIAN.
DEBIAN ?=
ifeq ($(DEBIAN),trixie)
FOR := -trixie
DIST := dist/trixie
else
DIST := dist
endif
ifneq ($(ARCH),)
A := :$(ARCH)
SUFFIX := -$(ARCH)
CROSS_PACKAGES := crossbuild-essential-$(ARCH) qemu-user dpkg-dev
CROSS_CMAKE := -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/tools/linux-cross.cmake -DKUBRISK_ARCH=$(ARCH)
# The suite runs from `make test ARCH=...`, as dh runs no tests when cross-building.
DEB_CROSS := DEB_BUILD_OPTIONS=nocheck dpkg-buildpackage -a$(ARCH)
DEB_CHECK := KUBRISK_EMULATOR="sh tools/qemu.sh $(ARCH)"
endif
# The package is the same either way; the Qt 6 one is built through a build profile into dist/qt6.
ifeq ($(QT),6)
BUILD_DIR ?= build$(FOR)-qt6$(SUFFIX)
SANITIZE_DIR ?= build-sanitize-qt6
QT_PACKAGES := qt6-base-dev$(A) qt6-base-dev-tools qt6-wayland$(A)
# A headless Wayland desktop with its screenshots, where Qt 6 follows fractional scales.
WAYLAND_CHECK_PACKAGES := $(if $(ARCH),,sway grim python3)
DEB_DIR ?= build-deb$(FOR)-qt6$(SUFFIX)
DEB_DIST := $(DIST)/qt6
DEB_PROFILES := pkg.kubrisk.qt6
DEB_QT := qt6-base-dev$(A) qt6-base-dev-tools
DEB_QT_LIBRARY := libqt6widgets6
NATIVE_BUILD_DIR := build-qt6
else
DEB_PROFILES :=
BUILD_DIR ?= build$(FOR)$(SUFFIX)
SANITIZE_DIR ?= build-sanitize
QT_PACKAGES := qtbase5-dev$(A) libx11-dev$(A) qtwayland5$(A)
DEB_DIR ?= build-deb$(FOR)$(SUFFIX)
DEB_DIST := $(DIST)
DEB_QT := qtbase5-dev$(A) libx11-dev$(A)
DEB_QT_LIBRARY := libqt5widgets5
NATIVE_BUILD_DIR := build
endif
DEB_PROFILES += $(if $(ARCH),nocheck)
DEB_ARCH = $(or $(ARCH),$(shell dpkg --print-architecture))
# Debian 12's 32-bit ARM packages, which apt must refuse on Debian 13: its libraries there took
# new names for 64-bit time and do not provide the old ones.
REFUSED = $(if $(and $(FOR),$(filter armhf,$(ARCH))),$(wildcard dist/kubrisk_*_armhf.deb \
	dist/qt6/kubrisk_*_armhf.deb))
SANITIZERS := -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
# A Chinese font for the window's texts and Wayland's platform plugin; the checks' tools.
RUN_PACKAGES := cmake make g++ $(QT_PACKAGES) $(CROSS_PACKAGES) fonts-wqy-microhei
TEST_PACKAGES := $(RUN_PACKAGES) desktop-file-utils appstream xvfb xauth x11-utils \
	x11-xserver-utils x11-apps $(WAYLAND_CHECK_PACKAGES)
# The packaging tools and the package's build dependencies, its tests' too (debian/control).
DEB_PACKAGES := build-essential debhelper dpkg-dev lintian git cmake $(DEB_QT) $(CROSS_PACKAGES) \
	appstream desktop-file-utils x11-apps x11-utils x11-xserver-utils xauth xvfb
# `make fresh` runs COMMANDS in a fresh minimal root of Debian 13 (trixie, unless DEBIAN names
# another), 12 (bookworm) or testing (forky), made in FRESH_DIR, which keeps the downloads for the
# next run; another architecture's package and Debian 13's are installed in fresh roots there.
FRESH_DIR ?= /var/tmp/kubrisk-fresh
COMMANDS ?= make test && make deb && make autopkgtest
# `make windows` and `make web` keep their Debian 13 root, with Qt for Windows and for
# WebAssembly, in TRIXIE_DIR for later runs.
TRIXIE_DIR ?= /var/tmp/kubrisk-trixie
IN_TRIXIE = sh tools/kept-root.sh trixie $(TRIXIE_DIR)
# What the builds there stamp on their files: the last commit's time.
COMMIT_TIME = SOURCE_DATE_EPOCH=$$(git log -1 --format=%ct)

# The random play's totals from the last run of a build's suite.
random_play = grep -h "random play:" $(1)/Testing/Temporary/LastTest.log \
	| sed 's/^.*random play/random play/' | sort -u
# Fails unless the suite in $(1) played as the one in $(2) did, where its last run played: one seed
# draws the same pieces everywhere.
same_play = if grep -qs "random play:" $(2)/Testing/Temporary/LastTest.log; then \
	[ "$$($(call random_play,$(1)))" = "$$($(call random_play,$(2)))" ] \
	&& echo "the same random play in $(1)/ as in $(2)/" \
	|| { echo "random play in $(1)/ differs from $(2)/'s:"; $(call random_play,$(2)); exit 1; }; fi

.PHONY: run test bench sanitize deb autopkgtest fresh windows windows-qt web web-qt web-bench \
	release build deps-run deps-test

run: deps-run build
	$(BUILD_DIR)/kubrisk

ifneq ($(filter-out /,$(CROSS_DIR)),)
ifneq ($(FOR),)
KEPT_ROOT := trixie $(TRIXIE_DIR)
else ifneq ($(ARCH),)
KEPT_ROOT := bookworm $(CROSS_DIR)
endif
endif
ifneq ($(KEPT_ROOT),)
test deb:
	sh tools/kept-root.sh $(KEPT_ROOT) make $@ ARCH=$(ARCH) QT=$(QT) DEBIAN=$(DEBIAN) CROSS_DIR=/
else
# Another architecture's suite plays as this machine's did.
test: deps-test build
	cd $(BUILD_DIR) && ctest --output-on-failure --parallel $$(nproc)
	@$(call random_play,$(BUILD_DIR)) || true
ifneq ($(ARCH),)
	@$(call same_play,$(BUILD_DIR),$(NATIVE_BUILD_DIR))
endif

# The source and binary packages, built from a copy of the tracked files with the suite run at
# build time (but for another architecture's) and checked by lintian (Debian 12's lintian knows no
# Standards-Version past its own); the binary package goes to dist/ (dist/qt6/ with QT=6), and
# tests/check-install.sh checks what it installs as it checks a CMake install.
deb:
	@$(if $(ARCH),dpkg --add-architecture $(ARCH))
	@sh tools/install-packages.sh $(DEB_PACKAGES)
	rm -rf $(DEB_DIR) && mkdir -p $(DEB_DIR)/kubrisk $(DEB_DIST)
	git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t $(DEB_DIR)/kubrisk
	cd $(DEB_DIR)/kubrisk && DEB_BUILD_PROFILES="$(DEB_PROFILES)" $(or $(DEB_CROSS),dpkg-buildpackage) -us -uc
	lintian -I -E --pedantic --fail-on error,warning --suppress-tags newer-standards-version \
		$(DEB_DIR)/kubrisk_*.changes
	rm -f $(DEB_DIST)/kubrisk_*_$(DEB_ARCH).deb && mv $(DEB_DIR)/kubrisk_*.deb $(DEB_DIST)/
	@$(DEB_CHECK) sh tests/check-install.sh $(DEB_DIST)/kubrisk_*_$(DEB_ARCH).deb $(DEB_QT_LIBRARY)
endif

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer, with assertions on;
# any report fails the run.
sanitize: deps-test
	cmake -S . -B $(SANITIZE_DIR) -DKUBRISK_QT_MAJOR=$(QT) -DCMAKE_BUILD_TYPE=Debug \
		-DCMAKE_CXX_FLAGS="$(SANITIZERS)" -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZERS)"
	cmake --build $(SANITIZE_DIR) --parallel
	cd $(SANITIZE_DIR) && ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
		UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
		ctest --output-on-failure --parallel $$(nproc)

bench: deps-run build
	$(BUILD_DIR)/bench/bench_kubrisk

# The package's autopkgtest against the package in dist/. The null runner installs the package on
# this very system: `make fresh` runs it in a throw-away root. Another architecture's package and
# Debian 13's are installed in a fresh root of their own, where apt must refuse Debian 12's 32-bit
# ARM packages on Debian 13 (needs root; see tools/fresh-install.sh).
autopkgtest:
	$(if $(wildcard $(DEB_DIST)/kubrisk_*_$(DEB_ARCH).deb),,$(MAKE) deb)
ifeq ($(ARCH)$(FOR),)
	@sh tools/install-packages.sh autopkgtest
	autopkgtest $(DEB_DIST)/kubrisk_*_$(DEB_ARCH).deb . -- null
else
	sh tools/fresh-install.sh $(if $(FOR),trixie,bookworm) $(FRESH_DIR) \
		$(DEB_DIST)/kubrisk_*_$(DEB_ARCH).deb $(REFUSED)
endif

# Needs root; see tools/fresh-debian.sh.
fresh:
	sh tools/fresh-debian.sh $(or $(DEBIAN),trixie) $(FRESH_DIR) '$(COMMANDS)'

# The Windows program, its zip and its installer in dist/, tried under Wine, built in a Debian 13
# root; see tools/windows-build.sh. rcc and the zip give each file the last commit's time.
windows:
	$(IN_TRIXIE) $(COMMIT_TIME) sh tools/windows-build.sh

# Only that root and its Qt for Windows, which CI builds beside its other checks.
windows-qt:
	$(IN_TRIXIE) sh tools/windows-build.sh qt

# The game as a web page in dist/web and its zip in dist/, on Qt for WebAssembly, built in the
# same Debian 13 root, with the suite run in headless Chromium and the page played in Chromium,
# Firefox and WebKit; the suite plays as this machine's did. See tools/web-build.sh.
web:
	$(IN_TRIXIE) $(COMMIT_TIME) sh tools/web-build.sh
	@$(call same_play,build-web,build)

web-qt:
	$(IN_TRIXIE) sh tools/web-build.sh qt

web-bench:
	$(IN_TRIXIE) $(COMMIT_TIME) sh tools/web-build.sh bench

# Everything a release publishes, from the checked-out commit, with SHA256SUMS, in
# dist/kubrisk-VERSION/; see tools/release.sh.
release:
	sh tools/release.sh $(TRIXIE_DIR)

build:
	cmake -S . -B $(BUILD_DIR) -DKUBRISK_QT_MAJOR=$(QT) $(CROSS_CMAKE)
	cmake --build $(BUILD_DIR) --parallel

deps-run:
	@$(if $(ARCH),dpkg --add-architecture $(ARCH))
	@sh tools/install-packages.sh $(RUN_PACKAGES)

deps-test:
	@$(if $(ARCH),dpkg --add-architecture $(ARCH))
	@sh tools/install-packages.sh $(TEST_PACKAGES)
