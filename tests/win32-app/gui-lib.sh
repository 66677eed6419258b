# shellcheck shell=bash
# The shared start and helpers of the scripts that drive Windows programs
# under Wine from outside (tests/win32-app/*-e2e.sh). Sourced first thing:
#
#   gui=$1 out=$2    # the program under test, the test output folder
#   . "$(dirname "$0")/gui-lib.sh"
#
# A script may set, before sourcing, `screen` (the virtual screen, default
# 1024x768x24) and `probe_exe` (the window probe, by default the one of the
# program's build tree).
#
# Windows are found by their caption and read through the Win32 API by the
# window probe (WindowProbe.cpp) run in the program's Wine session: a window
# counts as there once Windows shows it and its X window is mapped, stays the
# same X window and keeps its place. Input is real X input at screen points
# taken from the client area's place as Windows gives it. No X window id is
# kept: Wine may make a window's X window anew while it shows it, and input
# sent to an id that has gone fails (X error BadWindow).
#
# Every wait waits for something a person would see, up to a deadline
# ($patience seconds, 60 unless set), and the script fails if it never comes.
set -euo pipefail

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 ${screen:-1024x768x24}" "$0" "$@"
fi

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
mkdir -p "$out"
out=$(realpath "$out")  # Windows paths are made of it
wine_run=$root/scripts/wine-run
patience=${patience:-60}
# The build tree of the program under test, and its one Wine prefix (another
# one when PIM_WINEPREFIX names it, as scripts/wine-run takes it).
build=$(dirname "$(realpath "$gui")")
while [ ! -f "$build/CMakeCache.txt" ] && [ "$build" != / ]; do build=$(dirname "$build"); done
probe_exe=${probe_exe:-$build/tests/win32-app/win32_window_probe.exe}

# A failure names what went wrong, and what an error box of the program
# says if one is shown.
fail() {
  echo "FAIL: $*" >&2
  if [ -e "${started:-}" ] && ! gone エラー; then
    echo "the error box shown says: $(probe controls エラー | cut -d'|' -f2 | tr '\n' ' ')" >&2
  fi
  exit 1
}
winpath() { echo "Z:${1//\//\\}"; }

# Runs a command until it succeeds; false once $patience seconds have gone.
wait_until() {  # wait_until <command...>
  local deadline=$((SECONDS + patience))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

# Runs the window probe in the Wine session of the program under test. That
# program's scripts/wine-run holds the prefix's lock, so the probe joins its
# Wine server directly, with the same settings. Only once a window of the
# program is shown: before that there is no server to join.
probe() {  # probe <command> <caption> [args...]
  case $1 in *.exe) shift ;; esac  # the probe's path, as older scripts give it
  WINEPREFIX=${PIM_WINEPREFIX:-$build/wineprefix} WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=" \
    LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 wine "$probe_exe" "$@" 2>/dev/null | tr -d '\r'
}

shown_x() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | sort | tr '\n' ' '; }

# Waits for a shown window with this caption that has settled: the same X
# windows mapped and the same place in two looks a quarter second apart.
# Prints its handle for the helpers below: the caption and the client area's
# top left corner on the screen, "CAPTION@X,Y". Up to 90 seconds by default,
# for a program starting on a busy machine.
wait_window() {  # wait_window <caption> [seconds]
  local caption=$1 deadline=$((SECONDS + ${2:-90})) xs place seen="" x y
  until [ -n "$(shown_x "$caption")" ]; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    # A program that has ended shows nothing more.
    [ -z "${pid:-}" ] || kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.2
  done
  while [ "$SECONDS" -lt "$deadline" ]; do
    xs=$(shown_x "$caption")
    place=$(probe place "$caption") || place=
    if [ -n "$xs" ] && [ -n "$place" ] && [ "$xs|$place" = "$seen" ]; then
      read -r x y _ <<<"$place"
      echo "$caption@$x,$y"
      return 0
    fi
    seen="$xs|$place"
    sleep 0.25
  done
  return 1
}

# True once no window with this caption is shown.
gone() { [ -z "$(shown_x "$1")" ]; }
wait_gone() { wait_until gone "$1"; }  # wait_gone <caption>

caption_of() { echo "${1%@*}"; }

# Moves the pointer to a point of a window's client area.
move_client() {  # move_client <window> <x> <y>
  [ $# -ge 5 ] && set -- "$1" "$4" "$5"  # the client size older scripts give is not needed
  local origin=${1##*@}
  xdotool mousemove $((${origin%,*} + $2)) $((${origin#*,} + $3))
}

click_client() {  # click_client <window> <x> <y> [button]
  [ $# -ge 5 ] && set -- "$1" "$4" "$5" "${6:-1}"
  move_client "$1" "$2" "$3"
  xdotool click "${4:-1}"
  pressed
}

# A press that must count as a press of its own, not the second of a double
# click, comes once the system's double-click time (500 ms) has passed since
# the last press: a user pressing again sooner at that place double-clicks.
last_press=0
pressed() { last_press=${EPOCHREALTIME/./}; }
single_press_ready() { [ $((${EPOCHREALTIME/./} - last_press)) -gt 600000 ]; }
press_alone() {  # press_alone: the left button down, as a press of its own
  wait_until single_press_ready
  xdotool mousedown 1
  pressed
}

# Keys go to the window that has the keyboard in Windows, through whichever of
# the program's X windows the pointer rests on: first the pointer is rested
# on the given window (a corner of its client area, off its controls).
press() {  # press <window> <keys...>
  local window=$1
  shift
  move_client "$window" 2 2
  xdotool key "$@"
}

# A control by its class and the start of its text ("Button|OK"): its place
# in the client area, "x,y,w,h", and a click on its middle.
control_place() { probe controls "$(caption_of "$1")" | grep -m1 "^$2" | cut -d'|' -f3; }
click_control() {  # click_control <window> <class|text>
  local x y w h
  IFS=, read -r x y w h <<<"$(control_place "$1" "$2")"
  [ -n "$h" ] || fail "no control \"$2\" in $(caption_of "$1"): $(probe controls "$(caption_of "$1")" | tr '\n' ' ')"
  click_client "$1" $((x + w / 2)) $((y + h / 2))
}

# The whole screen, or the whole of one window, into the test output.
shoot() {  # shoot <file name> [window]
  if [ $# -lt 2 ]; then
    import -window root "$out/$1"
    return
  fi
  local place
  place=$(probe place "$(caption_of "$2")") || fail "no window $(caption_of "$2") to photograph"
  read -r _ _ _ _ x y w h <<<"$place"
  import -window root -crop "${w}x$h+$x+$y" +repage "$out/$1"
}

# ---- Pim.exe's main window ($main) -------------------------------------------

# Starts Pim.exe with these arguments; its window's handle in $main, the
# runner's process in $pid. The prefix may be another test's for the whole
# of its run first (ctest runs the Windows tests side by side): the window
# is awaited once the runner has the prefix. A script that ends early takes
# the program down.
start_pim() {  # start_pim [arguments...]
  started=$out/.$(basename "$0" .sh).started
  rm -f "$started"
  PIM_WINE_STARTED=$started "$wine_run" "$gui" "$@" &
  pid=$!
  trap stop_pim EXIT
  has_prefix() { [ -e "$started" ] || ! kill -0 "$pid" 2>/dev/null; }
  patience=900 wait_until has_prefix && [ -e "$started" ] || fail "scripts/wine-run did not start Pim.exe"
  main=$(wait_window "Pim-ピム-") || fail "the main window did not appear"
}
stop_pim() {
  # The program would outlive its runner: its Wine server ends it first,
  # while the runner still holds the prefix.
  [ ! -e "${started:-}" ] || WINEPREFIX=${PIM_WINEPREFIX:-$build/wineprefix} wineserver -k 2>/dev/null || true
  kill "$pid" 2>/dev/null || true
}

# Closes the main window as a user does (Alt+F4) and waits for the program
# to end.
close_pim() {
  press "$main" alt+F4
  wait_until eval '! kill -0 "$pid" 2>/dev/null' || fail "Pim.exe did not end after Alt+F4"
  wait "$pid" || true
  trap - EXIT
  rm -f "$started"
}

# A row's picture in the main window's client area, "x y": the middle of
# the thumbnail at the left of its cell (the name is to its right). Rows
# run down a column, then on in the next one.
row_xy() {  # row_xy <row>
  local x y w h
  IFS=, read -r x y w h <<<"$(probe items "Pim-ピム-" | sed -n "$(($1 + 1))p")"
  [ -n "$h" ] || fail "no row $1 in the list"
  echo "$((x + 53)) $((y + h / 2))"
}

# The list's rows, one a line ("*" before a selected one), and their count.
rows() { probe rows "Pim-ピム-"; }
row_count() { rows | grep -c . || true; }
# The rows in one line, space between.
row_line() { rows | tr '\n' ' ' | sed 's/ $//'; }
rows_are() { [ "$(row_line)" = "$1" ]; }
names_are() { [ "$(row_line | tr -d '*')" = "$1" ]; }  # selection aside
count_is() { [ "$(row_count)" = "$1" ]; }
menu_is() { [ "$(probe menu "Pim-ピム-")" = "$1" ]; }
no_capture() { [ "$(probe capture "Pim-ピム-")" = none ]; }

# A row chosen alone and right-clicked, a screenshot (or -) once the popup
# menu is shown, and keys pressed in it; returns when the menu has closed.
# The clicks go to the row's picture: a click on the name of a chosen row
# would start the name's editor a moment later.
popup() {  # popup <row> <screenshot name or -> <keys...>
  local row=$1 shot=$2
  shift 2
  local x y
  read -r x y <<<"$(row_xy "$row")"
  click_client "$main" "$x" "$y"
  click_client "$main" "$x" "$y" 3
  wait_until menu_is open || fail "no popup menu on row $row"
  [ "$shot" = - ] || shoot "$shot"
  xdotool key "$@"
  wait_until menu_is none || fail "the popup menu on row $row stayed open"
}

# "PDF作成" (Button4 at 192, 392), the finished dialog closed ("閉じる" at
# 228, 72), the PDF of $folder kept aside under another name.
run_pdf() {  # run_pdf <copy name>
  click_client "$main" 240 404
  local dialog
  dialog=$(wait_window "ＰＤＦ作成終了") || fail "a run did not finish"
  click_client "$dialog" 276 84
  wait_gone "ＰＤＦ作成終了" || fail "the finished dialog did not close"
  # Moved away: the next run finds no PDF to ask about replacing.
  mv "$folder/default.pdf" "$folder/$1"
}

# Pim.exe keeps its settings (Pim.ini) in a folder of each script's own,
# started empty, never in the prefix's application data: one script's
# window size or filter never reaches the next.
settings_dir=$out/settings-$(basename "$0" .sh)
rm -rf "$settings_dir"
mkdir -p "$settings_dir"
PIM_SETTINGS_DIR=$(winpath "$settings_dir")
export PIM_SETTINGS_DIR
