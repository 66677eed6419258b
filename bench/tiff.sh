#!/usr/bin/env bash
# TIFF pages against img2pdf, medians of RUNS runs (default 5):
#   one 200-page TIFF of A4 scans at 300 dpi, black and white in CCITT
#   Group 4 (their fax data go into the PDF as they are), and one 50-page
#   TIFF of A4 colour pages at 150 dpi in LZW (decoded and compressed with
#   Flate). Targets for each: at most 1.0 x img2pdf's time, peak memory at
#   most 64 MiB. CPU seconds beside the wall times, as the machine is shared.
# The corpus is made once and kept in build/bench-tiff.
#
#   bench/tiff.sh
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-5}
corpus="$root/build/bench-tiff"
scratch="$root/build/bench-tiff-scratch"
build="$root/build/native"
. "$root/bench/measure.sh"

cmake --preset native >/dev/null
cmake --build --preset native -j2 --target pim >/dev/null
pim="$build/cli/pim"

make_corpus() {
  [ -f "$corpus/.done" ] && return
  log "making the corpus in $corpus (once)"
  rm -rf "$corpus"
  mkdir -p "$corpus/seeds" "$corpus/g4" "$corpus/lzw"
  local s l lines
  # A scan: lines of "text" (dark bars of varying length) on paper with a
  # little noise, different for each seed; a colour page: a plasma photo,
  # a coloured heading and text lines.
  for s in 1 2 3 4 5; do
    lines=$(for l in $(seq 0 90); do
      printf 'rectangle %d,%d %d,%d ' 200 $((300 + 34 * l)) $((600 + (l * 97 + s * 131) % 1600)) $((318 + 34 * l))
    done)
    convert -size 2480x3508 xc:white -fill black -draw "$lines" \
      \( -seed "$s" -size 2480x3508 xc: +noise Random -channel G -threshold 99.5% -separate +channel -negate \) \
      -compose Multiply -composite -monochrome -density 300 -compress Group4 "$corpus/seeds/scan$s.tif"
    lines=$(for l in $(seq 0 40); do
      printf 'rectangle %d,%d %d,%d ' 100 $((900 + 18 * l)) $((300 + (l * 53 + s * 71) % 900)) $((908 + 18 * l))
    done)
    convert -size 1240x1754 xc:white \( -seed "$s" -size 1040x600 plasma:fractal \) -geometry +100+200 -composite \
      -fill "#3050a0" -draw "rectangle 100,80 1140,150" -fill "#202020" -draw "$lines" \
      -depth 8 -type TrueColor -density 150 -compress LZW "$corpus/seeds/colour$s.tif"
  done
  local g4=() lzw=() i
  for i in $(seq 0 199); do g4+=("$corpus/seeds/scan$(( i % 5 + 1 )).tif"); done
  for i in $(seq 0 49); do lzw+=("$corpus/seeds/colour$(( i % 5 + 1 )).tif"); done
  tiffcp "${g4[@]}" "$corpus/g4/scans.tif"
  tiffcp "${lzw[@]}" "$corpus/lzw/colour.tif"
  touch "$corpus/.done"
}

make_corpus
rm -rf "$scratch"
mkdir -p "$scratch"
report=()
for set in g4 lzw; do
  file=$(ls "$corpus/$set"/*.tif)
  mb=$(du -m --apparent-size "$file" | cut -f1)
  log "$set: $(tiffinfo "$file" 2>/dev/null | grep -c 'TIFF Directory') pages, $mb MB; $runs runs each"
  measure "pim" "$pim" --quiet -o pim -d "$scratch" "$corpus/$set"
  pim_s=$median_s pim_kb=$median_kb pim_cpu=$median_cpu
  measure "img2pdf" img2pdf -o "$scratch/img2pdf.pdf" "$file"
  img_s=$median_s img_kb=$median_kb img_cpu=$median_cpu
  if qpdf --check "$scratch/pim.pdf" >/dev/null 2>&1; then check=passes; else check=FAILS; fi
  pages=$(pdfinfo "$scratch/pim.pdf" | awk '/^Pages:/ {print $2}')
  report+=("  $set, $pages pages, $mb MB: pim ${pim_s} s, img2pdf ${img_s} s; PDFs $(du -m --apparent-size "$scratch/pim.pdf" | cut -f1) MB and $(du -m --apparent-size "$scratch/img2pdf.pdf" | cut -f1) MB"
           "    pim / img2pdf:  $(ratio "$pim_s" "$img_s") (target <= 1.0: $(verdict "$(ratio "$pim_s" "$img_s")" "<=" 1.0))"
           "    CPU seconds:    pim ${pim_cpu}, img2pdf ${img_cpu}"
           "    peak memory:    pim $(mib "$pim_kb") MiB (target <= 64: $(verdict "$(mib "$pim_kb")" "<=" 64)), img2pdf $(mib "$img_kb") MiB"
           "    qpdf --check:   $check")
  rm -f "$scratch"/*.pdf
done
echo "TIFF pages (medians of $runs runs)"
printf '%s\n' "${report[@]}"
