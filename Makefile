# Kubrisk's commands on Debian, each doing its own set-up: it installs the Debian packages that it
# is missing, as root or through sudo. `make run` starts the game and `make test` runs its whole
# suite; `make help` lists every command and the choices below.

# QT=6 builds on Qt 6 instead of Qt 5.15, in folders and into packages of its own.
QT ?= 5
# ARCH names another Debian architecture (arm64, armhf, s390x, i386, ...) for `make test`, `make
# deb` and `make autopkgtest`: cross-built in the kept Debian 12 root, run under qemu-user.
ARCH ?=
# DEBIAN=trixie builds for Debian 13 instead, in the kept Debian 13 root; for `make fresh` it names
# the fresh root's release: trixie (the default), bookworm or forky.
DEBIAN ?=
# The folders that keep the roots and their downloads, outside the checkout. The Debian 12 root
# cross-builds for other architectures. The Debian 13 root builds Debian 13's packages, and Qt for
# Windows and for WebAssembly with the game on them. Fresh roots are made anew each time, from the
# downloads kept in their folder. CROSS_ROOT and WINDOWS_WEB_ROOT are the first two's earlier names.
BOOKWORM_ROOT ?= $(or $(CROSS_ROOT),/var/tmp/kubrisk-bookworm)
TRIXIE_ROOT ?= $(or $(WINDOWS_WEB_ROOT),/var/tmp/kubrisk-trixie)
FRESH_ROOTS ?= /var/tmp/kubrisk-fresh
# What `make fresh` runs in its fresh root.
COMMANDS ?= make test && make deb && make autopkgtest
# Set when make runs again inside a kept root (tools/kept-root.sh), which then builds in itself.
IN_ROOT ?=

include tools/make/choices.mk
# A bare `make` starts the game; `make help` comes first in the menu below.
.DEFAULT_GOAL := run

.PHONY: help run test bench sanitize deb autopkgtest fresh windows windows-qt web web-qt web-bench \
	release apt-repo build deps-run deps-test

help: ## lists these commands and the choices
	@sed -n 's/^\([a-z-]*\):.*## \(.*\)/\1\t\2/p' Makefile | expand -t 14 | sed 's/^/make /'
	@echo "choices (see the Makefile's top): QT=$(QT) ARCH=$(ARCH) DEBIAN=$(DEBIAN)"
	@echo "kept roots: BOOKWORM_ROOT=$(BOOKWORM_ROOT) TRIXIE_ROOT=$(TRIXIE_ROOT)"
	@echo "fresh roots' downloads: FRESH_ROOTS=$(FRESH_ROOTS)"

run: deps-run build ## builds and starts the game
	$(BUILD_DIR)/kubrisk

# Another architecture's or Debian 13's suite and packages build in their kept root: make runs
# there again (tools/make/choices.mk). Another architecture's suite plays as this machine's did.
ifneq ($(KEPT_ROOT),)
test deb:
	sh tools/kept-root.sh $(KEPT_ROOT) make $@ ARCH=$(ARCH) QT=$(QT) DEBIAN=$(DEBIAN) IN_ROOT=yes
else
test: deps-test build ## builds and runs the whole suite through ctest
	cd $(BUILD_DIR) && ctest --output-on-failure --parallel $$(nproc)
	@$(call random_play,$(BUILD_DIR)) || true
	@$(if $(CROSS),$(call same_play,$(BUILD_DIR),$(NATIVE_BUILD_DIR)))

# From a copy of the tracked files, with the suite run at build time (but for another
# architecture's), checked by lintian (Debian 12's knows no Standards-Version past its own) and by
# tests/check-install.sh as it checks a CMake install. Each Debian release's packages carry a
# version of their own, which apt orders: 1.0.0+deb12 below 1.0.0+deb13, both below 1.0.1's.
deb: ## the source and binary packages, into dist/ (dist/qt6/ with QT=6)
	@$(INSTALL) $(DEB_PACKAGES)
	rm -rf $(DEB_DIR) && mkdir -p $(DEB_DIR)/kubrisk $(DEB_DIST)
	git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t $(DEB_DIR)/kubrisk
	. /etc/os-release && sed -i "1s/(\(.*\)) [a-z]*;/(\1+deb$$VERSION_ID) $$VERSION_CODENAME;/" \
		$(DEB_DIR)/kubrisk/debian/changelog
	cd $(DEB_DIR)/kubrisk && DEB_BUILD_PROFILES="$(DEB_PROFILES)" $(DEB_BUILD) -us -uc
	lintian -I -E --pedantic --fail-on error,warning --suppress-tags newer-standards-version \
		$(DEB_DIR)/kubrisk_*.changes
	rm -f $(DEB_DIST)/kubrisk_*_$(DEB_ARCH).deb && mv $(DEB_DIR)/kubrisk_*.deb $(DEB_DIST)/
	@$(DEB_CHECK) sh tests/check-install.sh $(DEB_DIST)/kubrisk_*_$(DEB_ARCH).deb $(DEB_QT_LIBRARY)
endif

bench: deps-run build ## runs the benchmark
	$(BUILD_DIR)/bench/bench_kubrisk

# With assertions on; any report fails the run (CMakePresets.json).
sanitize: deps-test ## the suite under AddressSanitizer and UndefinedBehaviorSanitizer
	cmake --preset sanitize-qt$(QT)
	cmake --build --preset sanitize-qt$(QT) --parallel
	ctest --preset sanitize-qt$(QT) --parallel $$(nproc)

# The null runner installs the package on this very system: `make fresh` runs it in a throw-away
# root. Another architecture's package and Debian 13's are installed in a fresh root of their own
# (tests/check-fresh-install.sh).
autopkgtest: ## the package's autopkgtest, on the package in dist/ (made if missing)
	$(if $(wildcard $(DEB_DIST)/kubrisk_*_$(DEB_ARCH).deb),,$(MAKE) deb)
ifeq ($(FRESH_INSTALL),)
	@sh tools/install-packages.sh autopkgtest
	autopkgtest $(DEB_DIST)/kubrisk_*_$(DEB_ARCH).deb . -- null
else
	sh tests/check-fresh-install.sh $(if $(TRIXIE),trixie,bookworm) $(FRESH_ROOTS) \
		$(DEB_DIST)/kubrisk_*_$(DEB_ARCH).deb $(REFUSED)
endif

fresh: ## runs COMMANDS as a new user would, in a fresh Debian root (tools/fresh-debian.sh)
	sh tools/fresh-debian.sh $(or $(DEBIAN),trixie) $(FRESH_ROOTS) '$(COMMANDS)'

# rcc and the zip give each file the last commit's time.
windows: ## the Windows program, zip and installer, into dist/, tried under Wine
	$(IN_TRIXIE_ROOT) $(COMMIT_TIME) sh windows/build.sh

windows-qt: ## only Qt for Windows, which CI builds beside its other checks
	$(IN_TRIXIE_ROOT) sh windows/build.sh qt

# The suite runs in headless Chromium and plays as this machine's did.
web: ## the web page into dist/web and its zip, played in Chromium, Firefox and WebKit
	$(IN_TRIXIE_ROOT) $(COMMIT_TIME) sh web/build.sh
	@$(call same_play,build-web,build)

web-qt: ## only Qt for WebAssembly
	$(IN_TRIXIE_ROOT) sh web/build.sh qt

web-bench: ## the web page's benchmark in each browser engine
	$(IN_TRIXIE_ROOT) $(COMMIT_TIME) sh web/build.sh bench

release: ## everything a release publishes, into dist/kubrisk-VERSION/, and dist/apt/
	sh tools/release.sh

# Debian 12's Qt 5 packages and Debian 13's, each in its release's suite.
apt-repo: ## the signed apt repository of dist/'s packages, into dist/apt/, tried in fresh roots
	. tools/lib/dist.sh && sh tools/apt-repository.sh dist/apt $$apt_url \
		dist/kubrisk_*+deb12_*.deb dist/trixie/qt6/kubrisk_*+deb13_*.deb
	sh tests/check-apt-repository.sh bookworm $(FRESH_ROOTS) dist/apt
	sh tests/check-apt-repository.sh trixie $(FRESH_ROOTS) dist/apt

# The preset of the chosen Qt (CMakePresets.json), in the folder of the chosen build.
build: ## configures and builds in BUILD_DIR
	cmake --preset qt$(QT) -B $(BUILD_DIR) $(CROSS_CMAKE)
	cmake --build $(BUILD_DIR) --parallel

deps-run: ## installs what make run needs
	@$(INSTALL) $(RUN_PACKAGES)

deps-test: ## installs what make test needs
	@$(INSTALL) $(TEST_PACKAGES)
