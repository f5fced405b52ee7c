# Sourced by the scripts that run Windows programs: the build's own quiet, Chinese-locale Wine prefix.
# Usage: . tools/wine-env.sh BUILD_DIR
_ludora_build=$(cd "${1:-build}" && pwd)
# `make run` keeps a prefix of its own (LUDORA_PREFIX=runprefix), so that its demo games never
# meet the tests.
export WINEPREFIX="$_ludora_build/${LUDORA_PREFIX:-wineprefix}"
export WINEARCH=win32
export WINEDEBUG=-all
# No Mono or Gecko install prompts; the menu builder is not needed.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
# Wine takes the ANSI code page from the Unix locale: 936, as on the players' machines.
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
unset _ludora_build
