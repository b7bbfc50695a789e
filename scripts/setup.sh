#!/usr/bin/env bash
# Installs every Debian 12 package that the build, the tests and the GUI need.
# Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config git
  libfltk1.3-dev libx11-dev libfreetype-dev libfontconfig-dev libpng-dev
  libjpeg62-turbo-dev libgsf-1-dev libssl-dev ca-certificates fonts-liberation
  # compiler cache: the presets use it when it is there
  ccache
  # tests
  libgtest-dev libgmock-dev
  xvfb xauth xdotool xclip x11-apps imagemagick
  libjpeg-turbo-progs mscompress
  lighttpd lighttpd-mod-openssl openssl tinyproxy python3-aiosmtpd python3-olefile
  # benchmarks: Google Benchmark, and libxml2's HTML parser as the HTML
  # benchmark's baseline
  libbenchmark-dev libxml2-dev libxml2-utils
  # the page benchmark's baselines (bench/view_bench.sh)
  w3m lynx
  # benchmarks (bench/http_bench.sh compares with curl)
  curl
  # fuzzing (libFuzzer ships with clang's runtime)
  clang libclang-rt-14-dev
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
  sudo=(sudo)
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
