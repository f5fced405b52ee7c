#!/usr/bin/env bash
# Creates the build's Wine prefix once: no crash dialog, CJK font substitutes, and no window
# manager expected (Xvfb has none: Wine would wait for one whenever an activated window goes).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh" "$1"
stamp="$WINEPREFIX/.ludora-ready-3"
[ -f "$stamp" ] && exit 0
rm -rf "$WINEPREFIX"
wineboot --init >/dev/null 2>&1
wineserver -w
reg=$(mktemp --suffix=.reg)
trap 'rm -f "$reg"' EXIT
cat > "$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"宋体"="WenQuanYi Micro Hei"
"SimSun"="WenQuanYi Micro Hei"
"新宋体"="WenQuanYi Micro Hei"
"微软雅黑"="WenQuanYi Micro Hei"
"Microsoft YaHei"="WenQuanYi Micro Hei"
"幼圆"="WenQuanYi Micro Hei"
"YouYuan"="WenQuanYi Micro Hei"
"Tahoma"="WenQuanYi Micro Hei"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Auto"="0"
"Debugger"=""
REG
iconv -f utf-8 -t gb18030 "$reg" > "$reg.gbk"
wine regedit /S "$reg.gbk" >/dev/null 2>&1
rm -f "$reg.gbk"
wineserver -w
touch "$stamp"
