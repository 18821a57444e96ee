#!/usr/bin/env bash
# CTest's emulator for the x86_64 build: runs one Windows program under wine64.
# The session (prefix, display, persistent wineserver) is set up by scripts/with-wine.sh.
if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
  echo "wine-run: no Wine session; run the tests through scripts/with-wine.sh" >&2
  exit 125
fi
exec /usr/lib/wine/wine64 "$@"
