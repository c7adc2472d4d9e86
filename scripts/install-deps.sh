#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing quillo need,
# and only those that are missing.  `apt-get update` runs only when something
# has to be installed.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config clang
  # Qt 6
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools
  qt6-translations-l10n qt6-l10n-tools qt6-svg-dev libgl-dev
  # character codes
  libuchardet-dev
  # about box picture, desktop integration and packaging
  libjpeg62-turbo-dev desktop-file-utils appstream dpkg-dev
  # printing: the CUPS library, and a private scheduler and PDF tools for its tests
  libcups2-dev cups-daemon cups-client cups-filters poppler-utils
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # the reference engines the regular-expression tests and benchmarks compare with
  libpcre2-dev libonig-dev libre2-dev zlib1g-dev
  # fonts standing in for the Windows faces
  fonts-ipafont-gothic fonts-ipafont-mincho fonts-dejavu-core fonts-liberation2
  # running the window without a display, screenshots
  xvfb xauth imagemagick xdotool
  # a real Japanese input method for the end-to-end input test
  ibus ibus-anthy dconf-gsettings-backend libglib2.0-bin dbus
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
