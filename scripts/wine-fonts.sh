#!/usr/bin/env bash
# Puts the fonts that Windows' own window frames need (Marlett, for the
# caption buttons) into a Wine prefix's Fonts folder, where Wine's user32
# finds them. Usage: wine-fonts.sh PREFIX
set -euo pipefail
fonts=$1/drive_c/windows/Fonts
mkdir -p "$fonts"
for font in marlett.ttf; do
  for source in /usr/share/wine/fonts /usr/lib/wine/fonts; do
    if [ -f "$source/$font" ]; then
      cp -f "$source/$font" "$fonts/$font"
      break
    fi
  done
done
