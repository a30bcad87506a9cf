#!/usr/bin/env bash
# Counts, with strace, the file-system calls an orvane run makes on the registry stand-in's files:
# with unchanged files every look-up is one stat (a failed one for a missing file), whatever the
# number of calculations; so it is with a file stamped in the future and with one that cannot be
# opened (as root, that is checked running orvane as nobody).
#   tests/registry_file_calls.sh build/native/orvane/orvane
set -euo pipefail
orvane=$1
dir=$(mktemp -d /tmp/sumbra-file-calls-XXXXXX)
bin=$(mktemp -d /tmp/sumbra-file-calls-bin-XXXXXX)
trap 'rm -rf "$dir" "$bin"' EXIT
export SUMBRA_HKCU_REG=$dir/hkcu.reg SUMBRA_HKLM_REG=$dir/hklm.reg  # the machine's is missing
unset Highlight
# strace needs to trace a child; where the system forbids it, say so and skip (ctest shows it).
if ! strace -f -qq -o /dev/null true 2>/dev/null; then
  echo "strace cannot trace here: skipped" >&2
  exit 77
fi
# A sanitizer build's leak check cannot run under strace.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\ZielPlugins]\r\n"Other"="1"\r\n' \
  >"$SUMBRA_HKCU_REG"

# Prints "stats failed-stats other-calls" on the two files for COUNT calculations.
calls() {
  seq "$1" | sed 's/^/=1+/' |
    strace -f -qq -y -e trace=%file,%desc -o "$dir/log" $as "$orvane" >/dev/null
  awk -v files="$dir/" '
    index($0, files) == 0 { next }
    $2 ~ /stat/ && index($0, "\"" files) > 0 { if (/= -1 /) failed++; else stats++; next }
    { other++ }
    END { print stats + 0, failed + 0, other + 0 }' "$dir/log"
}

expect() {  # NAME ACTUAL WANTED
  if [ "$2" != "$3" ]; then
    echo "$1: got $2, expected $3" >&2
    exit 1
  fi
  echo "$1: $2"
}

# Four look-ups per calculation: two in each root's file.
expect_one_stat_each() {  # CASE
  read -r s1 f1 o1 < <(calls 1)
  read -r s2 f2 o2 < <(calls 201)
  expect "200 more calculations, $1: stats, failed stats, other calls" \
    "$((s2 - s1)) $((f2 - f1)) $((o2 - o1))" "400 400 0"
}

as=
expect_one_stat_each "unchanged files"
touch -d '+1 hour' "$SUMBRA_HKCU_REG"
expect_one_stat_each "a file stamped in the future"
chmod 000 "$SUMBRA_HKCU_REG"
if [ "$(id -u)" = 0 ]; then
  # nobody may not reach the build tree (a checkout under /root): it runs copies of the shell,
  # its library and the plug-in, side by side as the shell finds them when installed.
  chmod 755 "$dir" "$bin"
  plugin=$("$orvane" --version | sed -n 's/^Sumbra .*(\(.*\))$/\1/p')
  cp "$orvane" "$(ldd "$orvane" | awk '/libOrvane/ { print $3 }')" "$plugin" "$bin/"
  orvane=$bin/orvane
  as="-u nobody"
fi
expect_one_stat_each "a file that cannot be opened"
