#!/usr/bin/env bash
# Times a default correction of the benchmark's generated 24-megapixel picture
# against a comparable ImageMagick pipeline (per-channel normalize, auto-gamma
# and an unsharp mask), both read from and written to binary PPM in
# /dev/shm, and reports the ratio of the net times (pipeline minus its own
# load-and-save run) for one thread and for ImageMagick's default threads.
# Not part of CI; it takes a few minutes.
#
#   engine/bench/compare-imagemagick.sh
#
# Installs imagemagick and hyperfine when missing, builds Release into
# build-release/, works in /dev/shm/lumivex-bench/ (removed at the end) and
# writes the table to build/bench/compare.md.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

# ---- Setup -------------------------------------------------------------------
"$root/scripts/install-deps.sh" imagemagick hyperfine
if ! convert -version 2>/dev/null | head -n 1 | grep -q ImageMagick; then
  echo "compare-imagemagick: 'convert -version' does not name ImageMagick" >&2
  exit 1
fi
release="$root/build-release"
cmake -S "$root" -B "$release" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$release" --target lumivex-bench lumivex-correct Lumivex >/dev/null
work=/dev/shm/lumivex-bench
mkdir -p "$work"
"$release/bin/lumivex-bench" --write-image "$work/in.ppm"

# ---- Timing ------------------------------------------------------------------
limits=(-limit memory 4GiB -limit map 8GiB -limit area 1GP)
one=(-limit thread 1)
pin=(taskset -c 2)
correct="$release/bin/lumivex-correct"
pipeline=(-channel RGB -normalize -auto-gamma +channel -unsharp 0x1+1+0.05)

# time NAME COMMAND...: hyperfine's mean and standard deviation (seconds)
# into $work/NAME.csv.
time_it() {
  local name="$1"
  shift
  echo "timing $name" >&2
  hyperfine -N -w 2 -r 10 --style none --export-csv "$work/$name.csv" "$(printf '%q ' "$@")" >/dev/null
}
time_it im1 "${pin[@]}" convert "${limits[@]}" "${one[@]}" "$work/in.ppm" "${pipeline[@]}" "$work/im1.ppm"
time_it im convert "${limits[@]}" "$work/in.ppm" "${pipeline[@]}" "$work/im.ppm"
time_it im1-noop "${pin[@]}" convert "${limits[@]}" "${one[@]}" "$work/in.ppm" "$work/im1-noop.ppm"
time_it im-noop convert "${limits[@]}" "$work/in.ppm" "$work/im-noop.ppm"
time_it ours "${pin[@]}" "$correct" --quiet "$work/in.ppm" "$work/ours.ppm"
time_it ours-noop "${pin[@]}" "$correct" --quiet --no-correct "$work/in.ppm" "$work/ours-noop.ppm"

# ---- Report ------------------------------------------------------------------
# "mean sd" of one timing.
stats() { awk -F, 'NR == 2 { print $2, $3 }' "$work/$1.csv"; }
# net PIPELINE NOOP: "mean sd" of the difference.
net() {
  read -r a sa < <(stats "$1")
  read -r b sb < <(stats "$2")
  awk -v a="$a" -v sa="$sa" -v b="$b" -v sb="$sb" 'BEGIN { printf "%.3f %.3f", a - b, sqrt(sa * sa + sb * sb) }'
}
# ratio "m1 s1" "m2 s2": m1 / m2 with the relative errors added in quadrature.
ratio() {
  awk -v x="$1" -v y="$2" 'BEGIN {
    split(x, p, " "); split(y, q, " "); r = p[1] / q[1]
    printf "%.2f ± %.2f", r, r * sqrt((p[2] / p[1]) ^ 2 + (q[2] / q[1]) ^ 2) }'
}
pm() { awk -v x="$1" 'BEGIN { split(x, p, " "); printf "%.3f ± %.3f", p[1], p[2] }'; }
# Per-channel mean and standard deviation (8-bit levels) of a picture.
channels() {
  convert "$1" -separate -format '%[mean] %[standard-deviation]\n' info: |
    awk '{ printf "%s%.1f ± %.1f", (NR > 1 ? ", " : ""), $1 / 257, $2 / 257 }'
}

ours_net="$(net ours ours-noop)"
im1_net="$(net im1 im1-noop)"
im_net="$(net im im-noop)"
report="$root/build/bench/compare.md"
mkdir -p "$(dirname "$report")"
{
  echo "# Lumivex against ImageMagick on a 6000 x 4000 picture"
  echo
  echo "$(uname -m), $(nproc) cores, $(grep -m 1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //');"
  echo "$(convert -version | head -n 1 | sed 's/^Version: //'); hyperfine -N -w 2 -r 10; single-threaded runs pinned with taskset -c 2."
  echo
  echo "| | one thread | default threads |"
  echo "|---|---|---|"
  echo "| ImageMagick pipeline (s) | $(pm "$(stats im1)") | $(pm "$(stats im)") |"
  echo "| ImageMagick load and save (s) | $(pm "$(stats im1-noop)") | $(pm "$(stats im-noop)") |"
  echo "| ImageMagick net (s) | $(pm "$im1_net") | $(pm "$im_net") |"
  echo "| Lumivex correction (s) | $(pm "$(stats ours)") | (single-threaded) |"
  echo "| Lumivex load and save (s) | $(pm "$(stats ours-noop)") | |"
  echo "| Lumivex net (s) | $(pm "$ours_net") | $(pm "$ours_net") |"
  echo "| **Lumivex net / ImageMagick net** | **$(ratio "$ours_net" "$im1_net")** | **$(ratio "$ours_net" "$im_net")** |"
  echo
  echo "ImageMagick: \`convert <limits> [-limit thread 1] in.ppm ${pipeline[*]} out.ppm\`;"
  echo "Lumivex: \`lumivex-correct --quiet in.ppm out.ppm\` with the default settings. Our pipeline does more:"
  echo "levels and colour balance, gamma, a lightness contrast curve and the adaptive sharpening with its"
  echo "analysis (and the skin-tone stage once it is installed)."
  echo
  echo "Per-channel mean ± standard deviation (red, green, blue) of every picture, so that a pipeline"
  echo "that skipped its work shows:"
  echo
  echo "| picture | red, green, blue |"
  echo "|---|---|"
  for f in in im1 im im1-noop im-noop ours ours-noop; do
    echo "| $f.ppm | $(channels "$work/$f.ppm") |"
  done
} >"$report"
rm -rf "$work" # about half a gigabyte of memory-backed pictures
cat "$report"
