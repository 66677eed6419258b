#!/bin/bash
# Files named like devices, in the window and on the command line: aux.jpg,
# con.png and nul.txt are files like any other (Wine, and Windows before 11,
# give the plain form of such a name to the device: a read that never ends,
# or an empty page). Two "PDF作成" in one window make the same bytes apart
# from the dates, as two runs of the command line do.
#
#   devices-e2e.sh <Pim.exe> <pim.exe> <test output folder>
gui=$1 cli=$2 out=$3
# shellcheck source=gui-lib.sh
. "$(dirname "$0")/gui-lib.sh"
folder=$out/devices-e2e
rm -rf "$folder"
mkdir -p "$folder"
convert -size 64x48 gradient:red-blue -quality 90 "$folder/aux.jpg"
convert -size 30x20 xc:'#2080c0' -depth 8 "bmp3:$folder/b.bmp"
convert -size 40x30 xc:'#20c040' -depth 8 -define png:color-type=2 "$folder/con.png"
printf 'nul text\r\n' >"$folder/nul.txt"

start_pim "$(winpath "$folder")"
wait_until count_is 4 || fail "the list shows [$(row_line)], not the four files"
run_pdf first.pdf
run_pdf second.pdf
close_pim

bookmarks() { qpdf --json=2 --json-key=outlines "$1" | python3 -c 'import json, sys
print(" ".join(o["title"] for o in json.load(sys.stdin)["outlines"]))'; }
sizes() { pdfinfo -f 1 -l 4 "$1" | sed -n 's/^Page *[0-9]* size: *\([0-9]*\) x \([0-9]*\) pts/\1x\2/p' | tr '\n' ' '; }
undated() { LC_ALL=C sed -E 's/\(D:[0-9]{14}/(D:00000000000000/g' "$1"; }

for pdf in first.pdf second.pdf; do
  [ "$(bookmarks "$folder/$pdf")" = "aux b con nul" ] || fail "$pdf: bookmarks $(bookmarks "$folder/$pdf")"
  [ "$(sizes "$folder/$pdf")" = "64x48 30x20 40x30 480x680 " ] || fail "$pdf: page sizes $(sizes "$folder/$pdf")"
  pdftotext -f 4 -l 4 "$folder/$pdf" - | grep -q "nul text" || fail "$pdf: the text page of nul.txt is empty"
  qpdf --check "$folder/$pdf" >/dev/null || fail "qpdf --check refuses $pdf"
done
cmp -s <(undated "$folder/first.pdf") <(undated "$folder/second.pdf") ||
  fail "two runs in one window differ apart from the dates"

rm -f "$folder/default.pdf"
"$wine_run" "$cli" --quiet "$(winpath "$folder")" || fail "pim.exe failed on the folder"
[ "$(bookmarks "$folder/default.pdf")" = "aux b con nul" ] || fail "pim.exe: bookmarks $(bookmarks "$folder/default.pdf")"
[ "$(sizes "$folder/default.pdf")" = "64x48 30x20 40x30 480x680 " ] || fail "pim.exe: page sizes"
echo "PASS: aux.jpg, con.png and nul.txt made their pages in the window and with pim.exe; two window runs gave the same bytes apart from the dates"
