# Sourced by the run and test scripts: a private Wine prefix (32-bit, or 64-bit when asked) with
# a persistent wineserver, and a private Xvfb display when asked for. Everything started here is
# ended by wine_env_down, and only that.

# wine_env_up <state dir> <fresh: 1 to make a new prefix> <xvfb: 1 to start one> [win32|win64]
# The architecture defaults to $WINEARCH, then win32.
wine_env_up() {
  WINE_ENV_DIR=$(realpath -m "$1")
  mkdir -p "$WINE_ENV_DIR"
  export WINEPREFIX="$WINE_ENV_DIR/prefix"
  export WINEARCH=${4:-${WINEARCH:-win32}}
  # A 64-bit prefix keeps Wine's own settings in the 64-bit view of the registry.
  WINE_ENV_REG=""
  [ "$WINEARCH" = win64 ] && WINE_ENV_REG=/reg:64
  export WINEDEBUG=-all
  # No Mono or Gecko installer prompts in a fresh prefix.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  XVFB_PID=""

  if [ "${3:-0}" = 1 ]; then
    rm -f "$WINE_ENV_DIR/display"
    Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9>"$WINE_ENV_DIR/display" \
      >"$WINE_ENV_DIR/xvfb.log" 2>&1 &
    XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
      [ -s "$WINE_ENV_DIR/display" ] && break
      kill -0 "$XVFB_PID" 2>/dev/null || { echo "Xvfb did not start" >&2; return 1; }
      sleep 0.1
    done
    [ -s "$WINE_ENV_DIR/display" ] || { echo "Xvfb gave no display" >&2; return 1; }
    export DISPLAY=":$(head -n1 "$WINE_ENV_DIR/display")"
  fi

  if [ "${2:-0}" = 1 ] && [ -d "$WINEPREFIX" ]; then
    WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
  fi
  # The persistent server, and the Wine services the first program starts, keep the output
  # they were started with open: give them none, so that no pipe of ours waits on them.
  mkdir -p "$WINEPREFIX"
  wineserver -p >/dev/null 2>&1 </dev/null
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1 </dev/null
  else
    wineboot >/dev/null 2>&1 </dev/null
  fi
  # On a private display there is no window manager, and every window would take seconds to
  # be destroyed unless Wine manages them itself; on a real desktop the window manager does.
  local managed=Y
  [ -n "$XVFB_PID" ] && managed=N
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$managed" /f $WINE_ENV_REG >/dev/null 2>&1 </dev/null
}

# wine_env_add_drive <letter> <floppy|cdrom|hd|network|ramdisk> <directory>: a drive of that type
# backed by a directory; call wine_env_restart afterwards.
wine_env_add_drive() {
  mkdir -p "$3"
  ln -sfn "$(realpath "$3")" "$WINEPREFIX/dosdevices/$1:"
  wine reg add 'HKLM\Software\Wine\Drives' /v "$1:" /d "$2" /f ${WINE_ENV_REG:-} >/dev/null 2>&1 </dev/null
}

# Drive changes show only to a new server.
wine_env_restart() {
  wineserver -k 2>/dev/null || true
  wineserver -p >/dev/null 2>&1 </dev/null
  wineboot >/dev/null 2>&1 </dev/null
}

wine_env_down() {
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null || true; fi
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  fi
}
