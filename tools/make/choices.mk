# What the Makefile's choices (QT, ARCH, DEBIAN, IN_ROOT) make of its folders, packages and roots.

# The three switches, each "yes" where chosen and empty where not.
# Cross-building for another architecture: Debian's cross toolchain and that architecture's
# multiarch packages, the programs run under qemu-user.
CROSS := $(if $(ARCH),yes)
# Building for Debian 13, in the kept Debian 13 root.
TRIXIE := $(if $(filter trixie,$(DEBIAN)),yes)
# Building on Qt 6 instead of Qt 5.15.
QT6 := $(if $(filter 6,$(QT)),yes)

# The decision to run `make test` and `make deb` again in a kept root, where they build: Debian
# 13's for Debian 13, Debian 12's for another architecture; none once make runs there.
ifeq ($(IN_ROOT),)
KEPT_ROOT := $(if $(TRIXIE),trixie $(TRIXIE_ROOT),$(if $(CROSS),bookworm $(BOOKWORM_ROOT)))
endif
IN_TRIXIE_ROOT = sh tools/kept-root.sh trixie $(TRIXIE_ROOT)
# What the builds there stamp on their files: the last commit's time.
COMMIT_TIME = SOURCE_DATE_EPOCH=$$(git log -1 --format=%ct)

# Each choice builds in folders of its own: build, build-trixie-qt6-arm64 and so on; the
# packages go to dist/, dist/qt6/, dist/trixie/qt6/.
folder = $(1)$(if $(TRIXIE),-trixie)$(if $(QT6),-qt6)$(if $(CROSS),-$(ARCH))
BUILD_DIR ?= $(call folder,build)
DEB_DIR ?= $(call folder,build-deb)
DEB_DIST := dist$(if $(TRIXIE),/trixie)$(if $(QT6),/qt6)
# This machine's own build of the same Qt, whose random play another architecture's must repeat.
NATIVE_BUILD_DIR := build$(if $(QT6),-qt6)
DEB_ARCH = $(or $(ARCH),$(shell dpkg --print-architecture))

# Packages of the architecture built for, beside this machine's own tools.
for_arch = $(if $(CROSS),$(addsuffix :$(ARCH),$(1)),$(1))
ifeq ($(CROSS),yes)
CROSS_PACKAGES := crossbuild-essential-$(ARCH) qemu-user dpkg-dev
CROSS_CMAKE := -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cross/toolchain.cmake -DKUBRISK_ARCH=$(ARCH)
# The suite runs from `make test ARCH=...`, as dh runs no tests when cross-building.
DEB_BUILD := DEB_BUILD_OPTIONS=nocheck dpkg-buildpackage -a$(ARCH)
DEB_CHECK := KUBRISK_EMULATOR="sh cross/qemu.sh $(ARCH)"
else
DEB_BUILD := dpkg-buildpackage
endif

# The package is the same on either Qt; the Qt 6 one is built through a build profile.
ifeq ($(QT6),yes)
QT_PACKAGES := $(call for_arch,qt6-base-dev qt6-wayland) qt6-base-dev-tools
# A headless Wayland desktop with its screenshots, where Qt 6 follows fractional scales.
WAYLAND_CHECK_PACKAGES := $(if $(CROSS),,sway grim python3)
DEB_QT := $(call for_arch,qt6-base-dev) qt6-base-dev-tools
DEB_PROFILES := pkg.kubrisk.qt6
DEB_QT_LIBRARY := libqt6widgets6
else
QT_PACKAGES := $(call for_arch,qtbase5-dev libx11-dev qtwayland5)
DEB_QT := $(call for_arch,qtbase5-dev libx11-dev)
DEB_QT_LIBRARY := libqt5widgets5
endif
DEB_PROFILES += $(if $(CROSS),nocheck)

# Another architecture's package and Debian 13's are installed in a fresh root of their own,
# where apt must refuse Debian 12's 32-bit ARM packages on Debian 13: its libraries there took
# new names for 64-bit time and do not provide the old ones.
FRESH_INSTALL := $(or $(CROSS),$(TRIXIE))
REFUSED = $(if $(and $(TRIXIE),$(filter armhf,$(ARCH))),$(wildcard dist/kubrisk_*_armhf.deb \
	dist/qt6/kubrisk_*_armhf.deb))

# A Chinese font for the window's texts and Wayland's platform plugin; the checks' tools.
RUN_PACKAGES := cmake make g++ $(QT_PACKAGES) $(CROSS_PACKAGES) fonts-wqy-microhei
TEST_PACKAGES := $(RUN_PACKAGES) desktop-file-utils appstream xvfb xauth x11-utils \
	x11-xserver-utils x11-apps $(WAYLAND_CHECK_PACKAGES)
# The packaging tools and the package's build dependencies, its tests' too (debian/control).
DEB_PACKAGES := build-essential debhelper dpkg-dev lintian git cmake $(DEB_QT) $(CROSS_PACKAGES) \
	appstream desktop-file-utils x11-apps x11-utils x11-xserver-utils xauth xvfb
# Installs the packages named after it, with ARCH's beside this machine's own.
INSTALL = $(if $(CROSS),dpkg --add-architecture $(ARCH) &&) sh tools/install-packages.sh

# The random play's totals from the last run of a build's suite.
random_play = grep -h "random play:" $(1)/Testing/Temporary/LastTest.log \
	| sed 's/^.*random play/random play/' | sort -u
# Fails unless the suite in $(1) played as the one in $(2) did, where its last run played: one seed
# draws the same pieces everywhere.
same_play = if grep -qs "random play:" $(2)/Testing/Temporary/LastTest.log; then \
	[ "$$($(call random_play,$(1)))" = "$$($(call random_play,$(2)))" ] \
	&& echo "the same random play in $(1)/ as in $(2)/" \
	|| { echo "random play in $(1)/ differs from $(2)/'s:"; $(call random_play,$(2)); exit 1; }; fi
