#!/usr/bin/env bash
# Installs what building and running Pinrow needs on Debian 12, and only
# what is missing: the native toolchain and GoogleTest, clang with its
# sanitizer and libFuzzer runtimes, the MinGW-w64 cross compiler, Wine with Xvfb and a Japanese font, and the ja_JP.UTF-8 locale
# (Wine takes its ANSI code page, 932, from it); xdotool holds a key on the
# X server as a person does, for the end-to-end tests.
set -euo pipefail

PACKAGES=(
  cmake make g++ libgtest-dev python3
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64 wine wine64 xvfb
  locales fonts-ipafont-gothic imagemagick xdotool
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

missing=()
for p in "${PACKAGES[@]}"; do
  installed "$p" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  as_root apt-get update -q
  as_root apt-get install -y -q "${missing[@]}"
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "deps: generating the ja_JP.UTF-8 locale"
  as_root sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8' /etc/locale.gen ||
    echo 'ja_JP.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen >/dev/null
fi
