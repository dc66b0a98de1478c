#!/usr/bin/env bash
# Starts one Windows program under Wine the way every test and local run expects:
#   wine-run.sh STATE_DIR PROGRAM.exe [ARGS...]
# STATE_DIR (inside the build tree) holds the Wine prefix, created once, and the Xvfb display
# used when no display is set. The ANSI code page is 936 (LC_ALL=zh_CN.UTF-8), the time zone
# is pinned (MORAVEL_TZ, default Europe/Berlin, a zone with daylight saving), and the
# wineserver stays alive between programs so each later start costs a fraction of a second.
set -euo pipefail

state=$1
shift
mkdir -p "$state"
state=$(cd "$state" && pwd)

export WINEPREFIX="$state/prefix"
export WINEARCH=win64
export WINEDEBUG=-all
export TZ="${MORAVEL_TZ:-Europe/Berlin}"
# No Mono or Gecko installer prompts, no menu entries on the Linux desktop.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe="

# MORAVEL_MONITORS=2 gives the programs two monitors side by side (1024 x 768 each): the
# runner's own Xvfb display 2048 x 768 without RandR, and cmake/two_monitors.c standing in for
# the Xinerama library that Wine asks for the monitors. Wine ties a prefix to the display its
# first program used, so such a STATE_DIR must serve two-monitor runs only.
xvfb_screen=1280x1024x24
xvfb_options=()
if [ "${MORAVEL_MONITORS:-1}" = 2 ]; then
  unset DISPLAY
  xvfb_screen=2048x768x24
  xvfb_options=(-extension RANDR)
  monitors_lib="$state/two-monitors/libXinerama.so.1"
  source_c="$(dirname "$0")/two_monitors.c"
  if [ ! -f "$monitors_lib" ] || [ "$source_c" -nt "$monitors_lib" ]; then
    mkdir -p "$state/two-monitors"
    cc -shared -fPIC -O2 -o "$monitors_lib" "$source_c"
  fi
  export LD_LIBRARY_PATH="$state/two-monitors${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
fi

if [ -z "${DISPLAY:-}" ]; then
  exec 8>"$state/display.lock"
  flock 8
  display=""
  if [ -f "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; then
    display=$(cat "$state/xvfb.display")
  else
    rm -f "$state/xvfb.display"
    Xvfb -displayfd 9 -screen 0 "$xvfb_screen" "${xvfb_options[@]}" -nolisten tcp \
      9>"$state/xvfb.display" >/dev/null 2>&1 &
    echo $! >"$state/xvfb.pid"
    for _ in $(seq 1 100); do
      display=$(tr -dc '0-9' <"$state/xvfb.display" 2>/dev/null || true)
      [ -n "$display" ] && break
      sleep 0.1
    done
    [ -n "$display" ] || { echo "wine-run: Xvfb did not start" >&2; exit 1; }
    echo "$display" >"$state/xvfb.display"
  fi
  flock -u 8
  export DISPLAY=":$display"
fi

wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=wine
export WINELOADER="$wine"
# The locale is given to Wine alone: the shell would only warn that it is not generated.
in_wine() { env LC_ALL=zh_CN.UTF-8 "$wine" "$@"; }

exec 7>"$state/prefix.lock"
flock 7
if [ ! -f "$WINEPREFIX/.moravel-ready" ]; then
  echo "wine-run: creating the Wine prefix in $WINEPREFIX (once)" >&2
  in_wine wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  touch "$WINEPREFIX/.moravel-ready"
fi
# The dialogs ask for "宋体" (SimSun). Without it Wine falls back to WenQuanYi Zen Hei, a Hei
# outline font whose gasp table asks for plain grid-fitted, unsmoothed drawing from 9 to 16
# pixels: at the dialogs' 9 points (12 pixels) its hinting drops strokes of complex characters
# (刷新, 删除, 查看). AR PL UMing is a Song face like SimSun and carries hand-made bitmaps for 11
# to 16 pixels, as SimSun does, so the Song names are replaced by it. The tooltips' mark-up
# asks for Verdana, which Wine lacks, and Wine's fallback for it is Zen Hei again. On the
# programs' Windows a Verdana text shows its letters in Verdana and its Chinese characters in
# SimSun (the system's font association); here DejaVu Sans, a face of Verdana's kind without
# Chinese characters, stands in for Verdana, and Wine's font linking takes the characters from
# the Song face. Done once per prefix.
if [ ! -f "$WINEPREFIX/.moravel-fonts-2" ]; then
  fonts_reg="$state/song-fonts.reg"
  {
    printf '\xff\xfe'  # regedit reads version 5 files as UTF-16 with a byte-order mark
    {
      printf 'Windows Registry Editor Version 5.00\r\n\r\n'
      printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
      for face in "宋体" "SimSun" "新宋体" "NSimSun"; do
        printf '"%s"="AR PL UMing CN"\r\n' "$face"
      done
      printf '"Verdana"="DejaVu Sans"\r\n'
    } | iconv -f UTF-8 -t UTF-16LE
  } >"$fonts_reg"
  in_wine regedit /S "Z:${fonts_reg//\//\\}" </dev/null >/dev/null 2>&1 || true
  touch "$WINEPREFIX/.moravel-fonts-2"
fi
# Bring up a persistent wineserver and the prefix's services with no standard streams of
# ours: processes that outlive this program must not hold the caller's pipes open (CTest
# waits for them to close). When everything is running already this costs very little.
wineserver -p </dev/null >/dev/null 2>&1 || true
in_wine wineboot </dev/null >/dev/null 2>&1 || true
flock -u 7

exec env LC_ALL=zh_CN.UTF-8 "$wine" "$@"
