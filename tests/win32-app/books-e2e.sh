#!/bin/bash
# Books from outside with real input: a series kept as twelve chapter
# folders (第05話 empty, 第08話 holding a broken JPEG). On the PDF設定 tab
# 右綴じ and 見開き・表紙は単独 are chosen and
# "サブフォルダごとにPDF作成" clicked: ten PDFs with their chapters' pages in
# order, right to left, the cover alone; the finished dialog names the
# skipped and the failed folder with its cause. With the broken file gone,
# the popup's "すべてを1つのPDFに" makes one PDF with a bookmark per chapter
# over its pages, as pim.exe --subfolders-in-one does. pim.exe
# --each-subfolder ends with 3 on the broken folder.
#
#   books-e2e.sh <Pim.exe> <pim.exe> <probe.exe> <test output folder>
gui=$1 cli=$2 probe_exe=$3 out=$4
# shellcheck source=gui-lib.sh
. "$(dirname "$0")/gui-lib.sh"
folder=$out/books-e2e/series
rm -rf "$out/books-e2e"
mkdir -p "$folder"

# Chapter n holds n % 3 + 1 pictures, each n + 10 * page units wide, so that
# a PDF's page widths tell its chapter and its order.
widths() {  # widths <chapter>: the page widths its PDF must have
  local n=$1 p
  for ((p = 1; p <= n % 3 + 1; p++)); do printf '%s ' $((40 + n + 10 * p)); done
}
for n in $(seq 1 12); do
  chapter=$folder/$(printf '第%02d話' "$n")
  mkdir -p "$chapter"
  [ "$n" = 5 ] && continue
  for ((p = 1; p <= n % 3 + 1; p++)); do
    convert -size $((40 + n + 10 * p))x60 xc:'#3060c0' -quality 90 "$chapter/$(printf '%03d' "$p").jpg"
  done
done
printf 'not a picture' >"$folder/第08話/999.jpg"

start_pim "$(winpath "$folder")"
wait_until count_is 0 || fail "the series folder itself lists [$(row_line)]"
tab_is() { [ "$(probe tab "Pim-ピム-")" = "$1" ]; }
# The tabs' buttons from 300, 10 in the client area: 画像一覧, 画像調整 and
# PDF設定, about 60 wide each.
click_client "$main" 458 19
wait_until tab_is 2 || fail "a click on the PDF設定 tab did not show it"
shown() { probe controls "Pim-ピム-"; }
# Each box dropped with a click, its item taken with the keys.
click_control "$main" "ComboBox|左綴じ"
xdotool key Down Return
click_control "$main" "ComboBox|連続"
xdotool key Down Down Down Return
wait_until eval 'shown | grep -q "^ComboBox|右綴じ|" && shown | grep -q "^ComboBox|見開き・表紙は単独|"' ||
  fail "the boxes show $(shown | grep '^ComboBox' | tr '\n' ' ')"
shoot books-tab.png

click_control "$main" "Button|サブフォルダごとにPDF作成"
dialog=$(wait_window "ＰＤＦ作成終了") || fail "the batch did not finish"
shoot books-summary.png "$dialog"
summary=$(probe controls "ＰＤＦ作成終了" | tr '\n' ' ')
for said in "10個のPDFを作成しました" "スキップ: 第05話（ファイルがありません）" "失敗: 第08話" "999.jpg" "JPEG画像ではありません"; do
  grep -qF "$said" <<<"$summary" || fail "the summary does not say \"$said\": $summary"
done
click_control "$dialog" "Button|閉じる"
wait_gone "ＰＤＦ作成終了" || fail "the summary did not close"

pdf_widths() { pdfinfo -f 1 -l 9 "$1" | sed -n 's/^Page *[0-9]* size: *\([0-9]*\) x .*/\1/p' | tr '\n' ' '; }
made=$(cd "$folder" && ls -- *.pdf | tr '\n' ' ')
[ "$made" = "第01話.pdf 第02話.pdf 第03話.pdf 第04話.pdf 第06話.pdf 第07話.pdf 第09話.pdf 第10話.pdf 第11話.pdf 第12話.pdf " ] ||
  fail "the PDFs made: $made"
for n in 1 2 3 4 6 7 9 10 11 12; do
  pdf=$folder/$(printf '第%02d話' "$n").pdf
  [ "$(pdf_widths "$pdf")" = "$(widths "$n")" ] || fail "$pdf has pages $(pdf_widths "$pdf"), not $(widths "$n")"
done
pdf=$folder/第01話.pdf
[ "$(head -c 8 "$pdf")" = "%PDF-1.3" ] || fail "the right-to-left PDF's header is $(head -c 8 "$pdf")"
qpdf --check "$pdf" >/dev/null || fail "qpdf --check refuses $pdf"
catalog=$(qpdf --json=2 --json-key=qpdf "$pdf" | python3 -c 'import json, sys
for key, o in json.load(sys.stdin)["qpdf"][1].items():
    v = o.get("value", {})
    if v.get("/Type") == "/Catalog": print(v.get("/PageLayout"), v["/ViewerPreferences"].get("/Direction"))')
[ "$catalog" = "/TwoColumnRight /R2L" ] || fail "the catalog has page layout and direction [$catalog]"

# The whole series in one PDF, from the popup of the (empty) list: the last
# entry is "すべてを1つのPDFに".
rm "$folder/第08話/999.jpg"
click_client "$main" 330 19
wait_until tab_is 0 || fail "a click on the 画像一覧 tab did not show the list"
click_client "$main" 540 200 3
wait_until menu_is open || fail "no popup menu on the list"
xdotool key Up Return
wait_until menu_is none || fail "the popup menu stayed open"
dialog=$(wait_window "ＰＤＦ作成終了") || fail "the series PDF was not made"
click_control "$dialog" "Button|閉じる"
wait_gone "ＰＤＦ作成終了" || fail "the finished dialog did not close"
# The titles are code page 932, which qpdf reads as other characters: the
# chapters are told by their pages.
chapters() { qpdf --json=2 --json-key=outlines "$1" | python3 -c 'import json, sys
print(" ".join(str(len(o["kids"])) for o in json.load(sys.stdin)["outlines"]))'; }
[ "$(chapters "$folder/series.pdf")" = "2 3 1 2 1 2 3 1 2 3 1" ] ||
  fail "the series PDF's chapters have [$(chapters "$folder/series.pdf")] pages"
[ "$(pdf_widths "$folder/series.pdf" | cut -d' ' -f1-6) " = "$(widths 1)$(widths 2)$(widths 3)" ] ||
  fail "the series PDF begins with pages $(pdf_widths "$folder/series.pdf")"
close_pim
# pim.exe makes the series PDF with the same chapters.
mv "$folder/series.pdf" "$folder/series-window.pdf"
"$wine_run" "$cli" --quiet --subfolders-in-one "$(winpath "$folder")" >/dev/null 2>&1 || fail "pim --subfolders-in-one failed"
[ "$(chapters "$folder/series.pdf")" = "2 3 1 2 1 2 3 1 2 3 1" ] || fail "pim's series PDF: [$(chapters "$folder/series.pdf")]"
ini=$out/settings-books-e2e/Pim.ini
grep -q $'^Binding=1\r$' "$ini" && grep -q $'^PageLayout=3\r$' "$ini" || fail "Pim.ini does not keep the book settings"

printf 'not a picture' >"$folder/第08話/999.jpg"
status=0
"$wine_run" "$cli" --quiet --each-subfolder "$(winpath "$folder")" >/dev/null 2>&1 || status=$?
[ "$status" = 3 ] || fail "pim --each-subfolder ended with $status, not 3, on a broken folder"
echo "PASS: ten chapter PDFs right to left with the cover alone, the empty and the broken folder named, the series in one PDF with a bookmark per chapter, pim --each-subfolder 3"
