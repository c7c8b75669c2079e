#!/usr/bin/env bash
# Installs everything the build, the demo and the tests need. Safe to run again: it only
# installs what is missing. Runs as root (apt).
set -euo pipefail

packages=(
  cmake make ninja-build g++ pkg-config dpkg-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
  zlib1g-dev libminizip-dev nettle-dev googletest libgtest-dev libgmock-dev
  wine64 xvfb xdotool x11-utils imagemagick
  python3-pytest python3-pil python3-pyftpdlib
  nginx fonts-wqy-zenhei locales
  zip curl
  unzip clang libclang-rt-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

src_list=/etc/apt/sources.list.d/mervantis-deb-src.sources
need_update=0
if [ ! -f "$src_list" ]; then
  # The Windows builds compile minizip from the zlib source package, so apt needs deb-src.
  cat > "$src_list" <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  need_update=1
fi

if [ ${#missing[@]} -gt 0 ] || [ $need_update -eq 1 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# zh_CN.UTF-8 makes Wine's ANSI code page 936 (GBK), the program's own encoding.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
echo "setup: ready"
