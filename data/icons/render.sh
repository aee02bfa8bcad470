#!/usr/bin/env bash
# Renders the program icon hakomaru.svg (the launcher's icon) into the PNG
# sizes the windows carry, compiled into the program. Run it after editing
# the SVG: data/icons/render.sh (needs gdk-pixbuf-thumbnailer with the SVG
# loader, packages libgdk-pixbuf2.0-bin and librsvg2-common).
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 32 48 64 128; do
    gdk-pixbuf-thumbnailer -s "$size" hakomaru.svg "hakomaru-$size.png"
done
