# Sourced by the Windows scripts: where the Windows builds of Qt and GoogleTest
# are kept (outside the checkout, reused from run to run) and the Wine
# environment that runs Windows programs headless.
tw_win_cache=${TABLEWRIGHT_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tablewright-windows}
tw_qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || echo unknown)
tw_win_qt=$tw_win_cache/qt-$tw_qt_version
tw_win_gtest=$tw_win_cache/googletest
tw_win_fonts=$tw_win_cache/fonts
tw_mingw_runtime=(/usr/lib/gcc/x86_64-w64-mingw32/12-posix /usr/x86_64-w64-mingw32/lib)

# A Linux path as Wine's Z: drive shows it.
tw_wine_path() { printf 'Z:%s' "${1//\//\\}"; }

export WINEPREFIX=$tw_win_cache/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
WINEPATH=$(tw_wine_path "$tw_win_qt/bin")
# (The loop variable carries the tw_ prefix: this file is sourced, and the
# scripts that source it have variables of their own.)
for tw_runtime_folder in "${tw_mingw_runtime[@]}"; do
  WINEPATH+=";$(tw_wine_path "$tw_runtime_folder")"
done
unset tw_runtime_folder
export WINEPATH
# Wine hands WINE-prefixed variables to Windows programs without the prefix;
# the QT_ ones it keeps to itself.
export WINEQT_QPA_PLATFORM=offscreen
WINEQT_QPA_FONTDIR=$(tw_wine_path "$tw_win_fonts")
export WINEQT_QPA_FONTDIR
# Qt's regular expressions compile to machine code with a stack per thread;
# under Wine that stack's clean-up at the end of a thread that Qt did not
# start (the TDS peer's sessions, the driver's fetching) reads a freed
# pointer and ends the process. The interpreter gives the same matches.
export WINEQT_ENABLE_REGEXP_JIT=0
