#!/usr/bin/env bash
# Renders the main window to docs/screenshot.png, with the register tooltip open to
# docs/screenshot-registers.png and with the timer-clock menu open to docs/screenshot-clock.png,
# without a display (Qt's offscreen platform).
# Run through `make screenshot`, which builds the program first.
set -euo pipefail
cd "$(dirname "$0")/.."
QT_QPA_PLATFORM=offscreen ./build/app/tickora-screenshot docs/screenshot.png \
  docs/screenshot-registers.png docs/screenshot-clock.png
echo "wrote docs/screenshot.png, docs/screenshot-registers.png and docs/screenshot-clock.png"
