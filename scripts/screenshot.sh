#!/usr/bin/env bash
# Renders the main window to docs/screenshot.png, with the register tooltip open to
# docs/screenshot-registers.png, with the chip menu open to docs/screenshot-chip.png,
# the baud-rate window to docs/screenshot-baud.png and the plan window to docs/screenshot-plan.png, the delay window to docs/screenshot-delay.png, the main window's working to
# docs/screenshot-working.png, the square-wave window to docs/screenshot-wave.png, without a display (Qt's offscreen
# platform).
# Run through `make screenshot`, which builds the program first.
set -euo pipefail
cd "$(dirname "$0")/.."
QT_QPA_PLATFORM=offscreen ./build/app/tickora-screenshot docs/screenshot.png \
  docs/screenshot-registers.png docs/screenshot-chip.png docs/screenshot-baud.png docs/screenshot-plan.png docs/screenshot-delay.png \
  docs/screenshot-working.png docs/screenshot-wave.png
echo "wrote docs/screenshot.png, docs/screenshot-registers.png, docs/screenshot-chip.png, docs/screenshot-baud.png, docs/screenshot-plan.png, docs/screenshot-delay.png, docs/screenshot-working.png and docs/screenshot-wave.png"
