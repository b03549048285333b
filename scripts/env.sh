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
  settle_wineprefix
}

# What every prefix of the scripts holds. Unmanaged windows: no window manager
# runs under Xvfb, and Wine's X11 driver waits two seconds for one each time a
# managed window loses activation or is hidden (unmanaged windows, whose frames
# Wine draws itself, skip that wait). No crash dialog: a crash ends the process
# and winedbg writes its backtrace to the output; the dialog would wait on the
# Xvfb display for a click that never comes.
settle_wineprefix() {
  grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null &&
    grep -q '"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg" 2>/dev/null && return 0
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  # The debugger starts without asking first (Wine's default; asking is a box too).
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /d 1 /f >/dev/null 2>&1
  wineserver -w 2>/dev/null || true
}

# Runs one Windows test executable under Xvfb into a log (its exit code is the
# function's): suites named *_ko_tests run with the ANSI code page 949. A run
# longer than ZARVOD_SUITE_SECONDS (default five watchdog limits: 300 s) is
# ended with all it started (timeout signals its own process group) and the
# prefix's processes, and says so in the log. end_wine_suite ends the run now.
wine_suite=
run_wine_suite() {
  local exe=$1 log=$2 limit=${ZARVOD_SUITE_SECONDS:-$((5 * ${ZARVOD_WATCHDOG_SECONDS:-60}))} rc
  shift 2
  local locale_env=()
  case "$(basename "$exe")" in *_ko_tests.exe) locale_env=(env LC_ALL=ko_KR.UTF-8) ;; esac
  # In the background, so that a script's trap runs at once on Ctrl-C.
  (cd "$(dirname "$exe")" && exec "${locale_env[@]}" timeout -k 10 "$limit" \
    xvfb-run -a -s "-screen 0 1280x1024x24" wine "$(basename "$exe")" "$@") </dev/null >"$log" 2>&1 &
  wine_suite=$!
  wait "$wine_suite"
  rc=$?
  wine_suite=
  # 124: ended by the limit; 137: it ignored that and was killed 10 s later.
  if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
    echo "$(basename "$exe") ran past $limit s: ended" >>"$log"
    wineserver -k 2>/dev/null
  fi
  return "$rc"
}

end_wine_suite() {
  [ -z "$wine_suite" ] || kill "$wine_suite" 2>/dev/null
  wineserver -k 2>/dev/null
}

# Why a Windows suite ended before its time: the watchdog's report, Wine's crash
# line with its backtrace, the time limit. Nothing when the log says none.
wine_suite_reason() {
  grep -E 'hung:|^  (shown|waiting for):|^wine: Unhandled|ran past [0-9]+ s' "$1" | head -n 12
  sed -n '/^Backtrace:/,/^Modules:/{/^Modules:/!p;}' "$1" | head -n 12
}
