#!/bin/sh
# Runs a Windows program under Wine, headless, in the build tree's own prefix.
# WINEPREFIX defaults to wine-prefix/ in the current directory (ctest runs tests from the build
# tree); "wine-run.sh --init" prepares it once.
: "${WINEPREFIX:=$PWD/wine-prefix}"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
if [ "$1" = "--init" ]; then
  wineboot --init >/dev/null 2>&1
  exec wineserver --wait
fi
exec wine "$@"
