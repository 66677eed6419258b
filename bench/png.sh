#!/usr/bin/env bash
# PNG pages against their peers, medians of RUNS runs (default 5):
#   200 screenshots of 1920 x 1080 (8-bit RGB, not interlaced; their data go
#   into the PDF as they are, after being inflated once on the page workers,
#   counted and checked, nothing kept) against `cat` of the files and
#   `img2pdf`; targets: at least 3 x faster than img2pdf, peak memory at most
#   64 MiB. pim / cat is shown as the cost of that check (1.24 GB of pixels
#   inflated, which cat does not do), with no target; CPU seconds (user +
#   system) beside the wall times, as the machine is shared.
#   20 interlaced RGBA pictures of 1920 x 1080 (decoded over white and
#   compressed again) against `convert` decoding each to PPM; targets:
#   within 1.5 x convert, memory at most 1.5 x one picture's samples + 32 MiB.
# The corpus is made once and kept in build/bench-png.
#
#   bench/png.sh
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-5}
corpus="$root/build/bench-png"
scratch="$root/build/bench-png-scratch"
build="$root/build/native"
. "$root/bench/measure.sh"

cmake --preset native >/dev/null
cmake --build --preset native -j2 --target pim >/dev/null
pim="$build/cli/pim"

make_corpus() {
  [ -f "$corpus/.done" ] && return
  log "making the corpus in $corpus (once)"
  rm -rf "$corpus"
  mkdir -p "$corpus/seeds" "$corpus/shots200" "$corpus/alpha20"
  local s i lines
  # Screenshots: a desktop colour, a title bar, a window with lines of
  # "text" and a photograph in it, different for each seed.
  for s in 1 2 3 4; do
    lines=$(for l in $(seq 0 40); do
      printf 'rectangle %d,%d %d,%d ' $((100 * s)) $((130 + 20 * l)) $((300 + (l * 37 + s * 101) % 900)) $((138 + 20 * l))
    done)
    convert -size 1920x1080 xc:"#2a5078" -fill "#f0f0f0" -draw "rectangle $((60 * s)),60 1800,1000" \
      -fill "#3070c0" -draw "rectangle $((60 * s)),60 1800,92" -fill "#202020" -draw "$lines" \
      \( -seed "$s" -size 640x420 plasma:fractal \) -geometry +1000+400 -composite \
      -depth 8 -define png:color-type=2 "$corpus/seeds/shot$s.png"
    convert -seed "$((s + 10))" -size 1920x1080 plasma:fractal \( -size 1080x1920 gradient:white-black -rotate 90 \) \
      -compose CopyOpacity -composite -depth 8 -interlace PNG -define png:color-type=6 "$corpus/seeds/alpha$s.png"
  done
  for i in $(seq -w 1 200); do cp "$corpus/seeds/shot$(( (10#$i % 4) + 1 )).png" "$corpus/shots200/s$i.png"; done
  for i in $(seq -w 1 20); do cp "$corpus/seeds/alpha$(( (10#$i % 4) + 1 )).png" "$corpus/alpha20/a$i.png"; done
  touch "$corpus/.done"
}

make_corpus
rm -rf "$scratch"
mkdir -p "$scratch"
shots_mb=$(du -sm --apparent-size "$corpus/shots200" | cut -f1)

log "200 screenshots ($shots_mb MB), $runs runs each"
measure "pim" "$pim" --quiet -o shots -d "$scratch" "$corpus/shots200"
pim_s=$median_s pim_kb=$median_kb pim_cpu=$median_cpu
measure "cat" bash -c "cat '$corpus'/shots200/*.png > '$scratch/one-file'"
cat_s=$median_s
# pim makes its PDF durable before it replaces the old one (fsync): the same
# for cat, for comparison.
measure "cat, then sync of the file" bash -c "cat '$corpus'/shots200/*.png > '$scratch/one-file' && sync '$scratch/one-file'"
catsync_s=$median_s
measure "img2pdf" bash -c "exec img2pdf -o '$scratch/img2pdf.pdf' '$corpus'/shots200/*.png"
img_s=$median_s img_kb=$median_kb img_cpu=$median_cpu
if qpdf --check "$scratch/shots.pdf" >/dev/null 2>&1; then shots_check=passes; else shots_check=FAILS; fi
rm -f "$scratch"/*.pdf "$scratch/one-file"

log "20 interlaced RGBA pictures, $runs runs each"
measure "pim" "$pim" --quiet -o alpha -d "$scratch" "$corpus/alpha20"
alpha_s=$median_s alpha_kb=$median_kb
measure "convert to PPM" bash -c "for f in '$corpus'/alpha20/*.png; do convert \"\$f\" ppm:- > '$scratch/p.ppm'; done"
conv_s=$median_s
if qpdf --check "$scratch/alpha.pdf" >/dev/null 2>&1; then alpha_check=passes; else alpha_check=FAILS; fi
rm -f "$scratch"/*.pdf "$scratch"/*.ppm
samples_kb=$(( 1920 * 1080 * 4 / 1024 ))  # one picture's samples, RGBA
alpha_limit_kb=$(( samples_kb * 3 / 2 + 32 * 1024 ))

echo "PNG pages (medians of $runs runs)"
echo "  200 screenshots, $shots_mb MB: pim ${pim_s} s, cat ${cat_s} s, img2pdf ${img_s} s"
echo "    pim / cat:      $(ratio "$pim_s" "$cat_s") (the check's cost: every picture inflated once)"
echo "    pim / (cat, then sync): $(ratio "$pim_s" "$catsync_s") (cat, then sync: ${catsync_s} s)"
echo "    img2pdf / pim:  $(ratio "$img_s" "$pim_s") (target >= 3: $(verdict "$(ratio "$img_s" "$pim_s")" ">=" 3))"
echo "    CPU seconds:    pim ${pim_cpu}, img2pdf ${img_cpu} (img2pdf / pim $(ratio "$img_cpu" "$pim_cpu"))"
echo "    peak memory:    pim $(mib "$pim_kb") MiB (target <= 64: $(verdict "$(mib "$pim_kb")" "<=" 64)), img2pdf $(mib "$img_kb") MiB"
echo "    qpdf --check:   $shots_check"
echo "  20 interlaced RGBA 1920 x 1080: pim ${alpha_s} s, convert to PPM ${conv_s} s"
echo "    pim / convert:  $(ratio "$alpha_s" "$conv_s") (target <= 1.5: $(verdict "$(ratio "$alpha_s" "$conv_s")" "<=" 1.5))"
echo "    peak memory:    pim $(mib "$alpha_kb") MiB (target <= $(mib "$alpha_limit_kb"): $(verdict "$alpha_kb" "<=" "$alpha_limit_kb"))"
echo "    qpdf --check:   $alpha_check"
