# Sourced by the scripts: the private Wine prefix under the build tree.
VTL_ROOT=${VTL_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
VTL_BUILD=${VTL_BUILD:-$VTL_ROOT/build}
export WINEPREFIX=${WINEPREFIX:-$VTL_BUILD/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# Programs and tests find the simulator DLL in build/bin.
export WINEPATH=${WINEPATH:-Z:${VTL_BUILD//\//\\}\\bin}
WINE=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
