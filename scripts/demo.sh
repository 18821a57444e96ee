#!/usr/bin/env bash
# Shows the plug-in inside the Eudora stand-in: builds the plug-in and the stand-ins,
# installs Tavix32.dll into the Plugins folder beside EUDORA.EXE and runs EUDORA.EXE under
# Wine. The stand-in loads the plug-in as Eudora does, asks for the translation of a
# clearsigned message and closes; the report of every EMS call is printed, then a summary.
#   scripts/demo.sh
#   TAVIX_BUILD_DIR=build/mine WINEPREFIX=$PWD/build/mine-wineprefix scripts/demo.sh
# Exits non-zero when the build or the run fails.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/install-deps.sh || exit 1

build=${TAVIX_BUILD_DIR:-build/win64}
case "$build" in /*) ;; *) build=$root/$build ;; esac
echo "== building the plug-in and the stand-ins in $build"
cmake --preset win64 -B "$build" >/dev/null || exit 1
cmake --build "$build" --parallel 2 --target Tavix32 EUDORA pgp || exit 1

bin=$build/bin
plugins=$bin/Plugins
demo=$build/demo
mkdir -p "$plugins" "$demo" || exit 1
cp "$bin/Tavix32.dll" "$plugins/" || exit 1
cp tests/fixtures/armour/clearsigned.asc "$demo/message.txt" || exit 1
# The stand-in leaves an existing output file alone; the previous run's is ours to replace.
rm -f "$demo/message.out" "$demo/report.txt"

# Wine sees the Linux root as drive Z:.
winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }

echo "== running EUDORA.EXE with $plugins"
echo
bash scripts/with-wine.sh /usr/lib/wine/wine64 "$bin/EUDORA.EXE" \
  /report "$(winpath "$demo/report.txt")" \
  /translate "$(winpath "$demo/message.txt")" "$(winpath "$demo/message.out")" \
  /addr 'alice@example.com|Alice Example|Alice Example <alice@example.com>' \
  /addr 'bob@example.com|Bob Example|Bob Example <bob@example.com>' \
  /exit-after 0
status=$?

report=$demo/report.txt
[ -s "$report" ] || { echo "demo: the stand-in wrote no report (exit code $status)"; exit 1; }
# The value after "-> " (and the named field) on the first line starting with the prefix.
field() { grep -m1 -F -- "$1" "$report" | sed -n "s/.*$2.*/\\1/p"; }
result() { field "$1" '-> \(-\?[0-9]*\)'; }
meaning() {
  case "$1" in
    0) echo "translated" ;;
    1) echo "refused: the plug-in is not attached to Eudora's main window yet, or busy" ;;
    2) echo "cannot translate this" ;;
    3) echo "no such translator" ;;
    10) echo "translates now, on request" ;;
    "") echo "not called" ;;
    *) echo "unexpected" ;;
  esac
}

echo
echo "== summary"
printf '%-22s %s\n' "plug-ins loaded:" "$(grep -c ': loaded from ' "$report")"
printf '%-22s %s (API version %s)\n' "ems_plugin_version:" \
  "$(result 'ems_plugin_version')" "$(field 'ems_plugin_version' 'apiVersion \([0-9]*\)')"
printf '%-22s %s; %s translator(s); id %s; %s\n' "ems_plugin_init:" \
  "$(result 'ems_plugin_init(')" "$(field 'ems_plugin_init(' 'numTrans \([0-9]*\)')" \
  "$(field 'ems_plugin_init(' '; id \([0-9]*\)')" \
  "$(field 'ems_plugin_init(' 'description block [0-9a-fx]* \("[^"]*"\)')"
printf '%-22s %s; %s; type %s, subtype %s, flags %s\n' "ems_translator_info:" \
  "$(result 'ems_translator_info(translator 1)')" \
  "$(field 'ems_translator_info(translator 1)' 'description block [0-9a-fx]* \("[^"]*"\)')" \
  "$(field 'ems_translator_info(translator 1)' '; type \([0-9]*\)')" \
  "$(field 'ems_translator_info(translator 1)' '; subtype \([0-9]*\)')" \
  "$(field 'ems_translator_info(translator 1)' 'flags \([0-9]*\)')"
can=$(result 'ems_can_translate(')
printf '%-22s %s (%s)\n' "ems_can_translate:" "${can:--}" "$(meaning "$can")"
translated=$(result 'ems_translate_file(')
printf '%-22s %s (%s)\n' "ems_translate_file:" "${translated:--}" "$(meaning "$translated")"
printf '%-22s %s\n' "output file:" "$(field 'output file ' 'output file \(.*\)')"
printf '%-22s %s\n' "ems_plugin_finish:" "$(result 'ems_plugin_finish')"
printf '%-22s %s\n' "blocks given back:" "$(field 'blocks received' 'blocks \(received .*\)')"
printf '%-22s %s\n' "errors:" "$(grep -c '^error: ' "$report")"
printf '%-22s %s\n' "EUDORA.EXE exit code:" "$status"
exit $status
