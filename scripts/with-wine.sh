#!/usr/bin/env bash
# Runs a command inside a private Wine session: its own Xvfb display, the prefix
# under build/ (created once), and one wineserver kept alive for the whole command.
#   scripts/with-wine.sh ctest --preset win64
# WINEPREFIX may be set to use another prefix (one per developer build directory).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
export WINELOADER=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver64

displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
xvfb_pid=$!
cleanup() {
  "$server" -k >/dev/null 2>&1
  kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null
  rm -f "$displayfile" "$displayfile.probe"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.1; done
[ -s "$displayfile" ] || { echo "with-wine: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -n1 "$displayfile")

if [ ! -f "$WINEPREFIX/.tavix-ready" ]; then
  echo "with-wine: creating Wine prefix $WINEPREFIX (once)" >&2
  mkdir -p "$WINEPREFIX"
  "$wine" wineboot -i </dev/null >/dev/null 2>&1
  # Without a window manager every hide of a top-level window waits 2 s unless unmanaged.
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
  "$server" -w
  touch "$WINEPREFIX/.tavix-ready"
fi
# One persistent server, and the session booted detached, so that test programs start fast
# and no background process holds CTest's output pipe.
"$server" -p
"$wine" wineboot </dev/null >/dev/null 2>&1
# The session is up once a program really runs in it: while a new prefix settles, or on a
# loaded machine, the first starts can fail. Its output goes to a file, not a pipe that a
# background process of the session could keep open.
probe="$displayfile.probe"
for _ in $(seq 60); do
  "$wine" cmd /c echo tavix-session-ready </dev/null >"$probe" 2>/dev/null
  grep -q tavix-session-ready "$probe" && break
  sleep 1
done
grep -q tavix-session-ready "$probe" 2>/dev/null || { echo "with-wine: no program runs in the Wine session" >&2; exit 1; }
"$@"
