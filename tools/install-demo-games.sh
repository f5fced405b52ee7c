#!/usr/bin/env bash
# Installs the three demo games into a Wine prefix as the maker's installers would: each in a
# folder of its own under C:\Games with its uninstaller, and an uninstall key with GamePath,
# UninstallString, DisplayName and DisplayID. A game whose folder is there already is left alone,
# so a second run adds nothing; an uninstalled one comes back. A player without a game list gets
# one hand-added game.
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
  [ -d "$folder" ] && continue
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
# game and an entry in UserGame.xml, written only when the player has no game list yet.
data="$WINEPREFIX/drive_c/ProgramData/Ludora"
if [ ! -f "$data/UserGame.xml" ]; then
  mkdir -p "$data" "$WINEPREFIX/drive_c/Games/mine"
  cp "$build/tools/demogames/demogame.exe" "$WINEPREFIX/drive_c/Games/mine/"
  cat > "$data/UserGame.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8" ?>
<UserGame>
    <Game name="我的小游戏" path="C:\Games\mine\demogame.exe" type="0" id="0" />
</UserGame>
XML
  echo "run: one hand-added game in C:\ProgramData\Ludora\UserGame.xml"
fi

[ "$added" -eq 0 ] && exit 0
iconv -f utf-8 -t gb18030 "$reg" > "$reg.gbk"
wine regedit /S "$reg.gbk" >/dev/null 2>&1
wineserver -w
echo "run: $added demo game(s) installed under C:\\Games"
