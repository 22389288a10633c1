#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the virtual display need,
# but only those that are missing, so a second run costs nothing. Reading aloud speaks
# through Qt's speech module over speech-dispatcher with espeak-ng's Mandarin voice; the
# Qt speech header needs the QML integration headers of qt6-declarative-dev; the tests
# run speech-dispatcher's libao output to libao's null driver and a private D-Bus.
set -euo pipefail
pkgs=(build-essential cmake pkg-config clang-format qt6-base-dev qt6-svg-dev qt6-translations-l10n libgl1-mesa-dev
      libgtest-dev libgmock-dev libuchardet-dev libicu-dev nlohmann-json3-dev libopencc-dev
      libpcre2-dev fonts-noto-cjk fonts-dejavu-core xvfb xauth xdotool xclip openbox wmctrl
      python3-xlib imagemagick trayer desktop-file-utils appstream groff-base
      libqt6sql6-sqlite
      clang libclang-rt-14-dev
      qt6-speech-dev qt6-speech-speechd-plugin qt6-declarative-dev
      speech-dispatcher speech-dispatcher-audio-plugins speech-dispatcher-espeak-ng espeak-ng
      libao4 dbus-daemon)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
