#!/bin/bash
# The page is what the user saw, from outside with real input, in a fresh
# settings folder: a photo stored turned (EXIF orientation 6) and named in
# half-width katakana, and an 80-line UTF-8 text with long lines. The name
# typed as "report.pdf" gives report.pdf; the photo's page stands upright
# (EXIF回転 is on by default); its bookmark reads ｽｷｬﾝ001 as poppler reads
# it, with nothing before it; the text's pages hold every line.
#
#   page-e2e.sh <Pim.exe> <test output folder>
gui=$1 out=$2
# shellcheck source=gui-lib.sh
. "$(dirname "$0")/gui-lib.sh"
folder=$out/page-e2e
rm -rf "$folder"
mkdir -p "$folder"
convert -size 64x32 xc:'#dc1e1e' -quality 95 "$folder/ｽｷｬﾝ001.jpg"
exiftool -q -overwrite_original -Orientation#=6 "$folder/ｽｷｬﾝ001.jpg"
python3 - "$folder/notes.txt" <<'PY'
import sys
lines = []
for i in range(1, 81):
    line = f"行{i:02d} " + ("長い行は折り返されて、次の行に続きます。" * 4 if i % 10 == 0 else "memo")
    lines.append(line)
open(sys.argv[1], "w", encoding="utf-8", newline="\r\n").write("\n".join(lines) + "\n")
PY

start_pim "$(winpath "$folder")"
wait_until count_is 2 || fail "the list shows [$(row_line)], not the two files"

# The name box (LabeledEdit6 at 40, 189 of the client area): "report.pdf".
click_client "$main" 140 199
xdotool key End shift+Home BackSpace
xdotool type --delay 80 'report.pdf'
wait_until eval 'probe controls "Pim-ピム-" | grep -q "^Edit|report.pdf|40,189,"' || fail "the name box does not hold report.pdf"
shoot page-name.png
click_client "$main" 240 404
dialog=$(wait_window "ＰＤＦ作成終了") || fail "the run did not finish"
click_control "$dialog" "Button|閉じる"
wait_gone "ＰＤＦ作成終了" || fail "the dialog did not close"
close_pim

pdf=$folder/report.pdf
[ -s "$pdf" ] || fail "no report.pdf: $(ls "$folder")"
[ -e "$folder/report.pdf.pdf" ] && fail "the typed .pdf was doubled"

# The outline as poppler reads it: every title whole, none starting with 敮.
titles=$(pdftohtml -xml -i -stdout "$pdf" | sed -n 's/.*<item page="[0-9]*">\(.*\)<\/item>.*/\1/p' | tr '\n' ' ')
grep -q '敮' <<<"$titles$(pdfinfo "$pdf")" && fail "a title starts with 敮: [$titles]"
grep -q 'ｽｷｬﾝ001' <<<"$titles" || fail "the photo's bookmark reads [$titles], not ｽｷｬﾝ001"

# The photo's page stands upright (32 x 64); the text continues on more
# pages and loses nothing (line breaks and spaces aside).
photo=$(pdftohtml -xml -i -stdout "$pdf" | sed -n 's/.*<item page="\([0-9]*\)">ｽｷｬﾝ001<\/item>.*/\1/p')
size=$(pdfinfo -f "$photo" -l "$photo" "$pdf" | sed -n 's/^Page *[0-9]* size: *\([0-9.]*\) x \([0-9.]*\) pts.*/\1x\2/p')
[ "$size" = "32x64" ] || fail "the photo's page is $size, not upright 32x64"
pages=$(pdfinfo "$pdf" | sed -n 's/^Pages: *//p')
[ "$pages" -ge 3 ] || fail "the 80-line text made $((pages - 1)) page(s)"
squeeze() { tr -d ' \r\n\f'; }
[ "$(pdftotext "$pdf" - | squeeze)" = "$(squeeze <"$folder/notes.txt")" ] || fail "the text's pages lose lines"
pdftocairo -png -r 50 -f 1 -l 2 "$pdf" "$out/page-e2e"
echo "PASS: report.pdf not doubled; ｽｷｬﾝ001 upright and its bookmark whole; the 80-line text kept every line on $((pages - 1)) pages"
