#!/usr/bin/env bash
# Installs the three demo games into a Wine prefix as the maker's installers would: each in a
# folder of its own under C:\Games with its uninstaller, and an uninstall key with GamePath,
# UninstallString, DisplayName and DisplayID. A game whose folder is there already is left alone,
# so a second run adds nothing; an uninstalled one comes back. One hand-added game goes into the
# player's game list the same way.
# Usage: tools/install-demo-games.sh BUILD_DIR   (WINEPREFIX as tools/wine-env.sh sets it)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
. "$here/wine-env.sh" "$build"
names=("星际远航" "龙之谷" "赛车狂飙")
reg=$(mktemp --suffix=.reg)
trap 'rm -f "$reg" "$reg.gbk"' EXIT
echo "REGEDIT4" > "$reg"
added=0
for i in 1 2 3; do
  folder="$WINEPREFIX/drive_c/Games/demo$i"
  # An installed game keeps up with the build's demo programs; only a new one is registered.
  if [ -d "$folder" ]; then
    cp -u "$build/tools/demogames/demogame.exe" "$build/tools/demogames/demouninstall.exe" "$folder/"
    continue
  fi
  mkdir -p "$folder"
  cp "$build/tools/demogames/demogame.exe" "$build/tools/demogames/demouninstall.exe" "$folder/"
  win="C:\\\\Games\\\\demo$i"
  cat >> "$reg" <<REG

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\LDGame_Demo$i]
"GamePath"="$win\\\\demogame.exe"
"UninstallString"="\\"$win\\\\demouninstall.exe\\" /S \\"$win\\" LDGame_Demo$i"
"DisplayName"="${names[$((i - 1))]}"
"DisplayID"="$i"
REG
  added=$((added + 1))
done

# One game added by hand, as a player would through the add-game dialog: its own copy of the demo
# game and an entry in UserGame.xml, added again when the list no longer has it.
data="$WINEPREFIX/drive_c/ProgramData/Ludora"
mkdir -p "$data" "$WINEPREFIX/drive_c/Games/mine"
cp -u "$build/tools/demogames/demogame.exe" "$WINEPREFIX/drive_c/Games/mine/"
python3 - "$data/UserGame.xml" <<'PY' && echo "run: one hand-added game in C:\ProgramData\Ludora\UserGame.xml"
import os, sys
import xml.etree.ElementTree as ET
path = sys.argv[1]
root = ET.parse(path).getroot() if os.path.exists(path) else ET.Element("UserGame")
if any(game.get("path") == r"C:\Games\mine\demogame.exe" for game in root.iter("Game")):
    sys.exit(1)
ET.SubElement(root, "Game", name="我的小游戏", path=r"C:\Games\mine\demogame.exe", type="0", id="0")
ET.ElementTree(root).write(path, encoding="utf-8", xml_declaration=True)
PY

[ "$added" -eq 0 ] && exit 0
iconv -f utf-8 -t gb18030 "$reg" > "$reg.gbk"
wine regedit /S "$reg.gbk" >/dev/null 2>&1
wineserver -w
echo "run: $added demo game(s) installed under C:\\Games"
