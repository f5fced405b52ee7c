#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian machine (run as root).
# Quick when everything is already there.
set -euo pipefail

PACKAGES=(
  cmake make dpkg-dev clang
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine32:i386 xvfb xauth x11-apps x11-utils imagemagick
  fonts-wqy-zenhei fonts-wqy-microhei locales-all
  libz-mingw-w64-dev libstb-dev googletest
  librsvg2-bin python3 nsis osslsigncode openssl
  golang-github-mozillazg-go-pinyin-dev
)

missing=()
have_i386=$(dpkg --print-foreign-architectures | grep -c '^i386$' || true)
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

# A machine without /etc/apt/sources.list is usual (deb822 sources only): only the files there count.
needs_src=0
grep -qsE '^Types:.*deb-src|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/*.sources \
  /etc/apt/sources.list.d/*.list || needs_src=1

if [ ${#missing[@]} -eq 0 ] && [ "$have_i386" -ge 1 ] && [ "$needs_src" -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages (${missing[*]}); run as root" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
[ "$have_i386" -ge 1 ] || dpkg --add-architecture i386

# A deb-src entry that mirrors the existing Debian sources, for TinyXML's source package.
if [ "$needs_src" -eq 1 ]; then
  src=/etc/apt/sources.list.d/ludora-src.sources
  for f in /etc/apt/sources.list.d/debian.sources; do
    [ -f "$f" ] && sed 's/^Types: deb$/Types: deb-src/' "$f" > "$src"
  done
  if [ ! -s "$src" ] 2>/dev/null; then
    grep -h '^deb ' /etc/apt/sources.list 2>/dev/null | grep -i debian | sed 's/^deb /deb-src /' > /etc/apt/sources.list.d/ludora-src.list || true
    rm -f "$src"
  fi
fi

apt-get update -qq
apt-get install -y -qq --no-install-recommends "${PACKAGES[@]}" >/dev/null
