#!/bin/sh
# Renders docs/screenshot.png, a seeded game in progress, under Qt's offscreen platform. A CJK font
# is needed for the window's Chinese texts.
set -e
cd "$(dirname "$0")/.."
sh tools/install-packages.sh fonts-wqy-microhei
make build
QT_QPA_PLATFORM=offscreen build/tools/kubrisk_screenshot docs/screenshot.png
