#!/usr/bin/env bash
# The PDF run against its peers, measured side by side in one run:
#   lossless run (JPEGs embedded unchanged) against `cat` and `img2pdf`,
#   its peak memory on a folder and on the folder doubled,
#   the re-encode run (--reencode -q 80) per image against djpeg | cjpeg and
#   ImageMagick's convert, the re-encode run of 200 JPEGs on one thread and
#   on every core (-j) against the same tools run a file per core, and a PDF
#   past 2 GiB.
# Prints medians of RUNS runs (default 5) and the ratios. The corpus is made
# once (about 20 s on two cores) and kept in build/bench-corpus.
#
#   bench/run.sh            everything
#   bench/run.sh --no-big   without the 2 GiB file (which needs 2.3 GB of disk;
#                           qpdf --check alone takes about ten minutes on it)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-5}
big=1
[ "${1:-}" = "--no-big" ] && big=0

corpus="$root/build/bench-corpus"
scratch="$root/build/bench-scratch"
build="$root/build/native"


# ---- the program, built for speed --------------------------------------------
cmake --preset native >/dev/null
cmake --build --preset native -j"$(nproc)" --target pim >/dev/null
pim="$build/cli/pim"

# ---- the corpus ---------------------------------------------------------------
# 200 JPEGs of 3000 x 2000 (about 1.8 MB each, 350 MB): four plasma fractals
# and copies of them. The doubled folder and the big folder are hard links.
make_corpus() {
  [ -f "$corpus/.done" ] && return
  log "making the corpus in $corpus (once)"
  rm -rf "$corpus"
  mkdir -p "$corpus/seeds" "$corpus/jpeg200" "$corpus/jpeg400" "$corpus/reencode20" "$corpus/big1300"
  local s i
  for s in 1 2 3 4; do
    convert -seed "$s" -size 3000x2000 plasma:fractal -quality 90 "$corpus/seeds/$s.jpg" &
    [ $((s % 2)) -eq 0 ] && wait
  done
  wait
  for i in $(seq -w 1 200); do cp "$corpus/seeds/$(( (10#$i % 4) + 1 )).jpg" "$corpus/jpeg200/p$i.jpg"; done
  for i in $(seq -w 1 200); do
    ln "$corpus/jpeg200/p$i.jpg" "$corpus/jpeg400/a$i.jpg"
    ln "$corpus/jpeg200/p$i.jpg" "$corpus/jpeg400/b$i.jpg"
  done
  for i in $(seq -w 1 20); do ln "$corpus/jpeg200/p0$i.jpg" "$corpus/reencode20/p$i.jpg"; done
  for i in $(seq -w 1 1300); do ln "$corpus/seeds/1.jpg" "$corpus/big1300/p$i.jpg"; done
  touch "$corpus/.done"
}

# ---- measuring: measure, ratio, mib, verdict -----------------------------------
. "$root/bench/measure.sh"

make_corpus
rm -rf "$scratch"
mkdir -p "$scratch"
size200=$(du -sm --apparent-size "$corpus/jpeg200" | cut -f1)

log "lossless run, 200 JPEGs ($size200 MB), $runs runs each"
measure "pim" "$pim" --quiet -o pim200 -d "$scratch" "$corpus/jpeg200"
pim_s=$median_s pim_kb=$median_kb
measure "cat" bash -c "cat '$corpus'/jpeg200/*.jpg > '$scratch/one-file'"
cat_s=$median_s
measure "img2pdf" bash -c "exec img2pdf -o '$scratch/img2pdf.pdf' '$corpus'/jpeg200/*.jpg"
img_s=$median_s img_kb=$median_kb
measure "pim, folder doubled" "$pim" --quiet -o pim400 -d "$scratch" "$corpus/jpeg400"
pim400_kb=$median_kb
measure "img2pdf, folder doubled" bash -c "exec img2pdf -o '$scratch/img2pdf400.pdf' '$corpus'/jpeg400/*.jpg"
img400_kb=$median_kb
rm -f "$scratch"/*.pdf "$scratch/one-file"

log "re-encode run, 20 JPEGs at quality 80"
measure "pim --reencode -q 80" "$pim" --quiet --reencode -q 80 -o re -d "$scratch" "$corpus/reencode20"
re_s=$median_s
measure "djpeg -dct float | cjpeg -dct float -quality 80" bash -c \
  "for f in '$corpus'/reencode20/*.jpg; do djpeg -dct float \"\$f\" | cjpeg -dct float -quality 80 > '$scratch/d.jpg'; done"
dj_s=$median_s
measure "convert -quality 80" bash -c \
  "for f in '$corpus'/reencode20/*.jpg; do convert \"\$f\" -quality 80 '$scratch/c.jpg'; done"
cv_s=$median_s

cores=$(nproc)
jruns=${JOBS_RUNS:-3}
log "re-encode run, 200 JPEGs: one thread against $cores, $jruns runs each"
MEASURE_RUNS=$jruns measure "pim --reencode -j 1" "$pim" --quiet --reencode -j 1 -o j1 -d "$scratch" "$corpus/jpeg200"
j1_s=$median_s
MEASURE_RUNS=$jruns measure "pim --reencode (-j $cores)" "$pim" --quiet --reencode -o jn -d "$scratch" "$corpus/jpeg200"
jn_s=$median_s jn_kb=$median_kb
# The same PDF byte for byte (its dates aside).
undated() { perl -0777 -pe 's/\(D:\d{14}/(D:00000000000000/g' "$1"; }
if cmp -s <(undated "$scratch/j1.pdf") <(undated "$scratch/jn.pdf"); then same_pdf=yes; else same_pdf=NO; fi
MEASURE_RUNS=$jruns measure "djpeg | cjpeg, $cores files at a time" bash -c \
  "ls '$corpus'/jpeg200/*.jpg | xargs -P $cores -I{} sh -c 'djpeg -dct float {} | cjpeg -dct float -quality 90 > $scratch/\$\$.jpg'"
djn_s=$median_s
MEASURE_RUNS=$jruns measure "convert, $cores files at a time" bash -c \
  "ls '$corpus'/jpeg200/*.jpg | xargs -P $cores -I{} sh -c 'convert {} -quality 90 $scratch/\$\$.jpg'"
cvn_s=$median_s
rm -f "$scratch"/*.pdf "$scratch"/*.jpg

if [ "$big" -eq 1 ]; then
  log "a PDF past 2 GiB: 1300 pages of one $(du -k "$corpus/seeds/1.jpg" | cut -f1) KiB JPEG"
  start=$(date +%s%N)
  /usr/bin/time -f '%M' -o "$scratch/rss" "$pim" --quiet -o big -d "$scratch" "$corpus/big1300"
  end=$(date +%s%N)
  big_s=$(awk -v d=$(( (end - start) / 1000 )) 'BEGIN {printf "%.2f", d / 1e6}')
  big_kb=$(tail -n 1 "$scratch/rss")
  big_bytes=$(stat -c %s "$scratch/big.pdf")
  if qpdf --check "$scratch/big.pdf" >"$scratch/qpdf.log" 2>&1; then big_check=passes; else big_check=FAILS; fi
  if pdftoppm -f 1300 -l 1300 -r 4 -png "$scratch/big.pdf" "$scratch/last" 2>"$scratch/render.log" &&
     [ -s "$scratch/last-1300.png" ]; then big_render="renders"; else big_render="does NOT render"; fi
  rm -f "$scratch/big.pdf"
fi

# ---- the report ---------------------------------------------------------------
per() { awk -v s="$1" 'BEGIN {printf "%.0f", s * 1000 / 20}'; }
cat <<REPORT

Lossless run: 200 JPEGs of 3000 x 2000, $size200 MB, warm cache, median of $runs
  tool                      wall s   peak MiB
  pim                       $(printf '%6s' "$pim_s")   $(printf '%8s' "$(mib "$pim_kb")")
  cat *.jpg > one-file      $(printf '%6s' "$cat_s")          -
  img2pdf -o out.pdf        $(printf '%6s' "$img_s")   $(printf '%8s' "$(mib "$img_kb")")
  pim / cat          $(ratio "$pim_s" "$cat_s")   (target <= 1.15: $(verdict "$(ratio "$pim_s" "$cat_s")" "<=" 1.15))
  img2pdf / pim      $(ratio "$img_s" "$pim_s")   (target >= 3.5: $(verdict "$(ratio "$img_s" "$pim_s")" ">=" 3.5))

Peak memory, folder and folder doubled (400 files)
  pim        $(mib "$pim_kb") MiB -> $(mib "$pim400_kb") MiB   (target <= 64 and flat: $(verdict "$(mib "$pim400_kb")" "<=" 64))
  img2pdf    $(mib "$img_kb") MiB -> $(mib "$img400_kb") MiB

Re-encode run (--reencode -q 80), 20 images, per image, median of $runs
  pim                                  $(per "$re_s") ms
  djpeg -dct float | cjpeg -dct float  $(per "$dj_s") ms
  convert -quality 80                  $(per "$cv_s") ms
  pim / djpeg|cjpeg  $(ratio "$re_s" "$dj_s")   (target <= 1.3: $(verdict "$(ratio "$re_s" "$dj_s")" "<=" 1.3))
  convert / pim      $(ratio "$cv_s" "$re_s")   (target >= 2: $(verdict "$(ratio "$cv_s" "$re_s")" ">=" 2))

Re-encode run (--reencode), 200 JPEGs of 3000 x 2000, $cores cores, median of $jruns
  pim -j 1                              $(printf '%7s' "$j1_s") s
  pim -j $cores                              $(printf '%7s' "$jn_s") s   $(mib "$jn_kb") MiB
  djpeg | cjpeg, $cores files at a time      $(printf '%7s' "$djn_s") s
  convert, $cores files at a time            $(printf '%7s' "$cvn_s") s
  -j 1 / -j $cores     $(ratio "$j1_s" "$jn_s")   (target >= 1.7: $(verdict "$(ratio "$j1_s" "$jn_s")" ">=" 1.7))
  the same PDF byte for byte (dates aside): $same_pdf
REPORT
if [ "$big" -eq 1 ]; then
  cat <<REPORT

PDF past 2 GiB: 1300 pages, $big_bytes bytes, written in $big_s s with $(mib "$big_kb") MiB peak;
  qpdf --check $big_check; the last page $big_render
REPORT
fi
