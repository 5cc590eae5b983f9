#!/usr/bin/env bash
# Renders the program's icon, drawn by hand as deploy/icons/hicolor/scalable/apps/*.svg, to the
# PNG sizes of the hicolor theme beside it. Run it after changing the SVG and commit the PNGs
# (needs rsvg-convert from librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../deploy/icons/hicolor"
svg=scalable/apps/com.fenwary.Roamlog.svg
for size in 48 64 128 256; do
  mkdir -p "${size}x${size}/apps"
  rsvg-convert --width "$size" --height "$size" "$svg" -o "${size}x${size}/apps/com.fenwary.Roamlog.png"
done
