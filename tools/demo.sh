#!/usr/bin/env bash
# Sets everything up on a Debian 12 machine, builds the Windows programs, seeds a demo Wine
# prefix (once) with sample movies in the URL cache, the cache folder, a Firefox tree and a
# folder with subfolders, and starts one program on it:
#   bash tools/demo.sh            Moravel, the viewer, on the seeded caches and folders
#   bash tools/demo.sh tessaly    Tessaly, the player, on the demo movie welcome.swf
# Without a display, the program runs on a virtual one and a screenshot of it is saved instead.
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-moravel}" in
  moravel) name=Moravel; args=(); title='"Moravel"' ;;
  tessaly) name=Tessaly; args=('C:\users\Public\Demo\Movies\welcome.swf'); title=' - Tessaly"' ;;
  *) echo "usage: bash tools/demo.sh [moravel|tessaly]" >&2; exit 2 ;;
esac

source tools/setup.sh
ensure_packages
ensure_locale

cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)"

state="$PWD/build/windows/demo-wine"
run="cmake/wine-run.sh $state"
echo "Seeding the demo prefix in $state/prefix"
$run build/windows/tools/seed_demo.exe

program=$(WINEPREFIX="$state/prefix" winepath -w "$PWD/build/windows/bin/$name.exe" 2>/dev/null)
if [ -n "${DISPLAY:-}" ]; then
  echo "Starting $name"
  $run "$program" "${args[@]}"
  exit 0
fi

# No display: a virtual desktop on Xvfb, and a picture of it.
echo "No display: starting $name on a virtual display"
$run explorer "/desktop=$name,1024x768" "$program" "${args[@]}" &
launcher=$!
shot="$PWD/build/windows/${name,,}-demo.png"
zoom="$PWD/build/windows/${name,,}-demo-3x.png"
for _ in $(seq 1 60); do
  sleep 1
  display=$(cat "$state/xvfb.display" 2>/dev/null || true)
  [ -n "$display" ] || continue
  if DISPLAY=":$display" xwininfo -root -tree 2>/dev/null | grep -qF "$title"; then
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
  echo "$name ran on a virtual display; its screenshot is $shot (three times the size: $zoom)"
else
  echo "$name's window did not appear within a minute" >&2
  exit 1
fi
