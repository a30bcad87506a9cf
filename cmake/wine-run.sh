#!/bin/sh
# Runs a Windows program under Wine, headless, in the build tree's own prefix.
# WINEPREFIX defaults to wine-prefix/ in the current directory (ctest runs tests from the build
# tree). "wine-run.sh --start" readies the prefix and starts the one wineserver that the tests
# after it share; "wine-run.sh --stop" ends that server.
: "${WINEPREFIX:=$PWD/wine-prefix}"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
case "$1" in
  --start)
    # Debian's wineserver ends as soon as its last program does, so each test would start a
    # server of its own and could meet the last one shutting down. This one stays while the
    # tests run (and for a minute after, should --stop never come), and its system processes
    # start here, where no test's output is tied to them.
    mkdir -p "$WINEPREFIX"
    wineserver -k 2>/dev/null && wineserver --wait  # one left from an interrupted run
    wineserver -p60 </dev/null >/dev/null 2>&1 || exit 1
    exec wineboot --init </dev/null >/dev/null 2>&1
    ;;
  --stop)
    wineserver -k 2>/dev/null
    exec wineserver --wait
    ;;
esac
exec wine "$@"
