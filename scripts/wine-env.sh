# Sourced: points Wine at the build folder's own prefix and silences it.
# Usage: . scripts/wine-env.sh BUILD_DIR
_vessop_build=$(cd "$1" && pwd)
# VESSOP_WINEPREFIX: a private copy of the prefix, for tests that must not share its server.
export WINEPREFIX="${VESSOP_WINEPREFIX:-$_vessop_build/wineprefix}"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export XDG_DATA_HOME="${VESSOP_XDG_DATA_HOME:-$_vessop_build/xdg}"
# No X display for unit tests: a stray window must not find the developer's desktop.
[ -n "${VESSOP_KEEP_DISPLAY:-}" ] || unset DISPLAY
unset _vessop_build
