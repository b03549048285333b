# Shared settings of the project's scripts (sourced, not run).
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# ZARVOD_BUILD moves all build trees elsewhere (several checkouts building at once).
BUILD_ROOT=${ZARVOD_BUILD:-$ROOT/build}
NATIVE_DIR="$BUILD_ROOT/native"
WINDOWS_DIR="$BUILD_ROOT/windows"
OPENSSL_MINGW=$(ls -d "${ZARVOD_CACHE:-/var/cache/zarvod}"/openssl-mingw-*/lib/libcrypto.a 2>/dev/null | head -n1 | xargs -r dirname | xargs -r dirname)
JOBS=${JOBS:-$(nproc)}

# Wine: a 32-bit prefix of the build tree's own; no Mono or Gecko prompts.
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=${WINEPREFIX:-$WINDOWS_DIR/wineprefix}

# Debian's Wine 8 looks for its own fonts in "<data dir>\../fonts", a name its
# file layer refuses (the "../" keeps its forward slash: STATUS_OBJECT_NAME_INVALID),
# so none of /usr/share/wine/fonts loads. Without Marlett the title bars,
# scroll bars and spin buttons draw its letters ("0 1 r") instead of their
# symbols. Wine loads every font in the prefix's C:\windows\Fonts: a copy
# there does load. Only Marlett: the dialogs keep the fonts they had.
install_wine_fonts() {
  local src dst="$WINEPREFIX/drive_c/windows/Fonts"
  for src in /usr/share/wine/fonts /usr/lib/wine/fonts /usr/local/share/wine/fonts; do
    if [ -f "$src/marlett.ttf" ]; then
      mkdir -p "$dst"
      [ -f "$dst/marlett.ttf" ] || cp "$src/marlett.ttf" "$dst/"
      return 0
    fi
  done
  return 0
}

ensure_wineprefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    xvfb-run -a wineboot -i >/dev/null 2>&1 || true
    wineserver -w 2>/dev/null || true
  fi
  install_wine_fonts
  # No window manager runs under Xvfb, and Wine's X11 driver waits two seconds
  # for one each time a managed window loses activation or is hidden; unmanaged
  # windows (Wine draws their frames itself) skip that wait.
  if ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    wineserver -w 2>/dev/null || true
  fi
}

# Runs one Windows test executable under Xvfb into a log (its exit code is the
# function's): suites named *_ko_tests run with the ANSI code page 949.
run_wine_suite() {
  local exe=$1 log=$2
  shift 2
  local locale_env=()
  case "$(basename "$exe")" in *_ko_tests.exe) locale_env=(env LC_ALL=ko_KR.UTF-8) ;; esac
  (cd "$(dirname "$exe")" && "${locale_env[@]}" xvfb-run -a -s "-screen 0 1280x1024x24" wine "$(basename "$exe")" "$@") >"$log" 2>&1
}
