#!/usr/bin/env bash
# Sets everything up on a Debian 12 machine, builds the Windows programs, seeds a demo Wine
# prefix (once) with sample movies in the URL cache, the cache folder, a Firefox tree and a
# folder with subfolders, and starts Moravel on it. Without a display, Moravel runs on a
# virtual one and a screenshot of it is saved instead.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/setup.sh
ensure_packages
ensure_locale

cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)"

state="$PWD/build/windows/demo-wine"
run="cmake/wine-run.sh $state"
echo "Seeding the demo prefix in $state/prefix"
$run build/windows/tools/seed_demo.exe

moravel=$(WINEPREFIX="$state/prefix" winepath -w "$PWD/build/windows/viewer/Moravel.exe" 2>/dev/null)
if [ -n "${DISPLAY:-}" ]; then
  echo "Starting Moravel"
  $run "$moravel"
  exit 0
fi

# No display: a virtual desktop on Xvfb, and a picture of it.
echo "No display: starting Moravel on a virtual display"
$run explorer "/desktop=Moravel,1024x768" "$moravel" &
launcher=$!
shot="$PWD/build/windows/moravel-demo.png"
zoom="$PWD/build/windows/moravel-demo-3x.png"
for _ in $(seq 1 60); do
  sleep 1
  display=$(cat "$state/xvfb.display" 2>/dev/null || true)
  [ -n "$display" ] || continue
  if DISPLAY=":$display" xwininfo -root -tree 2>/dev/null | grep -q '"Moravel"'; then
    sleep 3
    DISPLAY=":$display" import -window root "$shot"
    # The same at three times the size, where a missing stroke of a character shows.
    convert "$shot" -crop 1024x768+0+0 +repage -scale 300% "$zoom"
    break
  fi
done
WINEPREFIX="$state/prefix" wineserver -k 2>/dev/null || true
wait "$launcher" 2>/dev/null || true
stop_wine "$state"
if [ -f "$shot" ]; then
  echo "Moravel ran on a virtual display; its screenshot is $shot (three times the size: $zoom)"
else
  echo "Moravel's window did not appear within a minute" >&2
  exit 1
fi
