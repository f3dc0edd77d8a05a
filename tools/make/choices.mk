# What the Makefile's choices (QT, ARCH, DEBIAN, IN_ROOT) make of its folders, packages and roots.

# Another architecture: Debian's cross toolchain, that architecture's multiarch packages, qemu-user.
ifneq ($(ARCH),)
A := :$(ARCH)
SUFFIX := -$(ARCH)
CROSS_PACKAGES := crossbuild-essential-$(ARCH) qemu-user dpkg-dev
CROSS_CMAKE := -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/linux/cross.cmake -DKUBRISK_ARCH=$(ARCH)
# The suite runs from `make test ARCH=...`, as dh runs no tests when cross-building.
DEB_CROSS := DEB_BUILD_OPTIONS=nocheck dpkg-buildpackage -a$(ARCH)
DEB_CHECK := KUBRISK_EMULATOR="sh linux/qemu.sh $(ARCH)"
endif
# Debian 13's builds have folders of their own: build-trixie..., build-deb-trixie..., dist/trixie/.
ifeq ($(DEBIAN),trixie)
FOR := -trixie
DIST := dist/trixie
else
DIST := dist
endif
# The package is the same either way; the Qt 6 one is built through a build profile.
ifeq ($(QT),6)
BUILD_DIR ?= build$(FOR)-qt6$(SUFFIX)
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
BUILD_DIR ?= build$(FOR)$(SUFFIX)
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

# The kept root that `make test` and `make deb` run in again, unless they already do.
ifeq ($(IN_ROOT),)
ifneq ($(FOR),)
KEPT_ROOT := trixie $(WINDOWS_WEB_ROOT)
else ifneq ($(ARCH),)
KEPT_ROOT := bookworm $(CROSS_ROOT)
endif
endif
IN_WINDOWS_WEB_ROOT = sh tools/kept-root.sh trixie $(WINDOWS_WEB_ROOT)
# What the builds there stamp on their files: the last commit's time.
COMMIT_TIME = SOURCE_DATE_EPOCH=$$(git log -1 --format=%ct)

# A Chinese font for the window's texts and Wayland's platform plugin; the checks' tools.
RUN_PACKAGES := cmake make g++ $(QT_PACKAGES) $(CROSS_PACKAGES) fonts-wqy-microhei
TEST_PACKAGES := $(RUN_PACKAGES) desktop-file-utils appstream xvfb xauth x11-utils \
	x11-xserver-utils x11-apps $(WAYLAND_CHECK_PACKAGES)
# The packaging tools and the package's build dependencies, its tests' too (debian/control).
DEB_PACKAGES := build-essential debhelper dpkg-dev lintian git cmake $(DEB_QT) $(CROSS_PACKAGES) \
	appstream desktop-file-utils x11-apps x11-utils x11-xserver-utils xauth xvfb
# Installs the packages named after it, with ARCH's beside this machine's own.
INSTALL = $(if $(ARCH),dpkg --add-architecture $(ARCH) &&) sh tools/install-packages.sh

# The random play's totals from the last run of a build's suite.
random_play = grep -h "random play:" $(1)/Testing/Temporary/LastTest.log \
	| sed 's/^.*random play/random play/' | sort -u
# Fails unless the suite in $(1) played as the one in $(2) did, where its last run played: one seed
# draws the same pieces everywhere.
same_play = if grep -qs "random play:" $(2)/Testing/Temporary/LastTest.log; then \
	[ "$$($(call random_play,$(1)))" = "$$($(call random_play,$(2)))" ] \
	&& echo "the same random play in $(1)/ as in $(2)/" \
	|| { echo "random play in $(1)/ differs from $(2)/'s:"; $(call random_play,$(2)); exit 1; }; fi
