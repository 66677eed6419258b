# Helpers of the scripts that drive Pim.exe from outside with xdotool.
# Sourced; expects DISPLAY to be set.

fail() { echo "FAIL: $*" >&2; exit 1; }
winpath() { echo "Z:${1//\//\\}"; }

# Waits for a window with this caption; prints its X id. Up to 90 seconds:
# a program started by scripts/wine-run first waits for the Wine prefix,
# which another test may hold for half a minute.
wait_window() {
  local id
  for _ in $(seq 1 360); do
    id=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1) || true
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.25
  done
  return 1
}

# Moves the pointer to a point of a window's client area. Wine draws the
# frames itself, so the X window is the whole frame: the client area sits at
# the bottom, centred between the side borders.
move_client() {  # move_client <window> <client width> <client height> <x> <y>
  local id=$1 cw=$2 ch=$3 x=$4 y=$5 border
  eval "$(xdotool getwindowgeometry --shell "$id")"
  border=$(( (WIDTH - cw) / 2 ))
  xdotool mousemove --window "$id" $((border + x)) $((HEIGHT - border - ch + y))
}

click_client() {  # click_client <window> <client width> <client height> <x> <y> [button]
  move_client "$1" "$2" "$3" "$4" "$5"
  xdotool click "${6:-1}"
}

# The main window's list rows in its client coordinates: a thumbnail cell of
# 101 pixels each from 43, the picture at x 307 to 400, the name from 402.
row_y() { echo $((93 + 101 * $1)); }

# The main window ($main) as a script drives it. A right click on a row, a
# screenshot (or -) and keys pressed in the popup menu that opens.
popup() {  # popup <row> <screenshot name or -> <keys...>
  local row=$1 shot=$2
  shift 2
  click_client "$main" 782 442 420 "$(row_y "$row")"
  click_client "$main" 782 442 420 "$(row_y "$row")" 3
  sleep 0.7
  [ "$shot" = - ] || import -window root "$out/$shot"
  for key in "$@"; do
    xdotool key "$key"
    sleep 0.2
  done
  sleep 0.5
}

# "PDF作成" (Button4 at 192, 392), the finished dialog closed ("閉じる" at
# 228, 72), the PDF of $folder kept aside under another name.
run_pdf() {  # run_pdf <copy name>
  click_client "$main" 782 442 240 404
  local dialog
  dialog=$(wait_window "ＰＤＦ作成終了") || fail "a run did not finish"
  click_client "$dialog" 335 102 276 84
  sleep 1
  cp "$folder/default.pdf" "$folder/$1"
}

# Runs the window probe (WindowProbe.cpp) in the prefix of the program under
# test. That program's scripts/wine-run holds the prefix's lock, so the
# probe joins its Wine server directly, with the same settings.
probe() {  # probe <probe.exe> <command> <caption> [args...]
  local exe=$1 build
  shift
  build=$(dirname "$(realpath "$exe")")
  while [ ! -f "$build/CMakeCache.txt" ]; do build=$(dirname "$build"); done
  WINEPREFIX=$build/wineprefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=" \
    LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 wine "$exe" "$@" 2>/dev/null | tr -d '\r'
}

# Pim.exe keeps its settings (Pim.ini) in a folder of each script's own,
# started empty, never in the prefix's application data: one script's
# window size or filter never reaches the next.
settings_dir=$out/settings-$(basename "$0" .sh)
rm -rf "$settings_dir"
mkdir -p "$settings_dir"
PIM_SETTINGS_DIR=$(winpath "$settings_dir")
export PIM_SETTINGS_DIR
