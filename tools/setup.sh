# Sourced by the README's commands: installs the Debian 12 packages the build and the tests
# need, only those that are missing, with one "apt-get update" before the first install.
# shellcheck shell=bash

MORAVEL_PACKAGES=(
  cmake ninja-build g++ googletest tzdata locales
  mingw-w64 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  wine wine64 xvfb x11-utils imagemagick fonts-wqy-zenhei fonts-arphic-uming fonts-dejavu-core
  fonts-dejavu-extra
  zlib1g-dev libz-mingw-w64-dev lzma-dev libstb-dev
  pkg-config libmpg123-dev lame
)

# The rasteriser's benchmark measures against cairo; only the benchmark build needs it:
#   source tools/setup.sh && ensure_packages "${MORAVEL_BENCH_PACKAGES[@]}"
MORAVEL_BENCH_PACKAGES=(libcairo2-dev pkg-config)

# Installs the named packages, or MORAVEL_PACKAGES without arguments.
ensure_packages() {
  local missing=() pkg wanted=("$@")
  [ ${#wanted[@]} -gt 0 ] || wanted=("${MORAVEL_PACKAGES[@]}")
  for pkg in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "ok installed"; then
      missing+=("$pkg")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "Installing missing packages: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Wine turns file names into Linux names in the locale's character set: without a generated
# zh_CN.UTF-8 locale, names with Chinese characters cannot be created or found at all.
ensure_locale() {
  if locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
    return 0
  fi
  echo "Generating the zh_CN.UTF-8 locale"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  if [ -f /etc/locale.gen ] && grep -q 'zh_CN.UTF-8 UTF-8' /etc/locale.gen; then
    $sudo sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  else
    echo "zh_CN.UTF-8 UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
  fi
  $sudo locale-gen >/dev/null
}

# Ends the Wine server and the virtual display that the Windows tests left running.
stop_wine() {
  local state=$1
  if [ -d "$state/prefix" ]; then
    WINEPREFIX="$state/prefix" wineserver -k 2>/dev/null || true
  fi
  if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    rm -f "$state/xvfb.pid"
  fi
}
