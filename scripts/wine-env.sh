# Sourced by the Wine scripts: one prefix per user, shared by every checkout.
export WINEPREFIX="${VT_WINEPREFIX:-$HOME/.cache/vt_d7/wine64}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
WINE_LOADER=/usr/lib/wine/wine64
WINE_SERVER=/usr/lib/wine/wineserver64
