#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Safe to run again:
# only what is missing is installed.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libcurl4-openssl-dev ca-certificates
  python3 openssl  # the HTTP tests' local server and its throw-away certificate
  libpng-dev libpng++-dev zlib1g-dev libjpeg62-turbo-dev
  libfreetype-dev libfontconfig-dev fonts-dejavu-core fonts-liberation2
  libwxgtk3.2-dev libcairo2-dev xvfb xauth  # cairo: the wx backend hands its back buffers to it
  libgtk-3-dev  # the file chooser is driven through GTK itself
  xdotool  # the Xvfb test that drives the menus and the file dialog
  libsdl2-dev libfluidsynth-dev timgm6mb-soundfont  # sound: audio output, MIDI synthesis, a small GM sound font
  locales  # the de_DE source of the comma-locale test run
  xdg-utils x11-xserver-utils  # xdg-open: the manual, files in the text editor; xdg-screensaver needs xset
  clang libclang-rt-14-dev  # scripts/fuzz.sh: libFuzzer and the sanitizers
  ferret-datasets  # scripts/run.sh: the world elevation grid (etopo5.cdf) of the relief views
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

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
