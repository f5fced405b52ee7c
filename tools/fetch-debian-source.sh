#!/usr/bin/env bash
# Fetches a Debian source package with its patches applied into DEST.
set -euo pipefail
pkg=$1 dest=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
apt-get source -qq "$pkg" >/dev/null 2>&1 || { apt-get update -qq && apt-get source -qq "$pkg" >/dev/null; }
src=$(find . -maxdepth 1 -mindepth 1 -type d -name "$pkg-*" | head -n1)
[ -n "$src" ] || { echo "no source tree for $pkg" >&2; exit 1; }
rm -rf "$dest"
mkdir -p "$(dirname "$dest")"
mv "$src" "$dest"
