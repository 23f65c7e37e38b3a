#!/usr/bin/env bash
# Renders the main window to docs/screenshot.png, and with the register tooltip open to
# docs/screenshot-registers.png, without a display (Qt's offscreen platform).
# Run through `make screenshot`, which builds the program first.
set -euo pipefail
cd "$(dirname "$0")/.."
QT_QPA_PLATFORM=offscreen ./build/app/tickora-screenshot docs/screenshot.png docs/screenshot-registers.png
echo "wrote docs/screenshot.png and docs/screenshot-registers.png"
