#!/usr/bin/env bash
# Lumivex side by side with its peers, whole processes on one core:
#
#   lumivex-correct / vips sharpen                  (libvips-tools)
#   lumivex-correct / ImageMagick's -normalize -auto-gamma -unsharp, one thread
#   lumivex-host --auto / lumivex-correct           (the same settings, JPEG in)
#
# on a smooth 6000 x 4000 photograph made by upscaling samples/coffee.png,
# binary PPM in and out (the last row reads it as a quality-92 JPEG). Each
# comparison runs its two commands in turn, A B A B ..., after one warm-up
# run of each, and prints the median ratio A/B of the pairs with the
# smallest and largest (the machine's noise), and each command's median
# wall time. lumivex-host's peak memory is printed against the picture's
# bytes. A peer that is not installed is skipped; the last row needs
# neither peer.
#
#   engine/bench/compare-peers.sh [BUILD]
#
# Builds nothing: the programs come from BUILD (default build-release/, a
# Release tree: cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release
# and ninja -C build-release lumivex-correct lumivex-host LumivexPI). The
# environment may set PAIRS (default 7, at least 5) and CPU (the core every
# run is pinned to with taskset, default 2). The pictures live in a
# temporary folder in /dev/shm (removed at the end) with a registry of their
# own, so the plug-in's automatic road uses its built-in "Default".
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="$(cd "${1:-$root/build-release}" 2>/dev/null && pwd)" || {
  echo "compare-peers: no build tree at ${1:-$root/build-release}" >&2
  exit 1
}
pairs="${PAIRS:-7}"
cpu="${CPU:-2}"
if ! [[ "$pairs" =~ ^[0-9]+$ ]] || ((pairs < 5)); then
  echo "compare-peers: PAIRS must be a number of at least 5" >&2
  exit 1
fi
correct="$build/bin/lumivex-correct"
host="$build/bin/lumivex-host"
plugin="$build/lib/LumivexPI.so"
for program in "$correct" "$host" "$plugin"; do
  if [[ ! -e "$program" ]]; then
    echo "compare-peers: $program is missing; build it first (see the top of this script)" >&2
    exit 1
  fi
done
command -v taskset >/dev/null || { echo "compare-peers: taskset (util-linux) is needed" >&2; exit 1; }
has() { command -v "$1" >/dev/null 2>&1; }
magick=""
if has convert && convert -version 2>/dev/null | head -n 1 | grep -q ImageMagick; then
  magick=convert
fi
vips=""
has vips && vips=vips
timer=""
[[ -x /usr/bin/time ]] && timer=/usr/bin/time

work="$(mktemp -d "$([[ -d /dev/shm ]] && echo /dev/shm || echo "${TMPDIR:-/tmp}")/compare-peers.XXXXXX")"
trap 'rm -rf "$work"' EXIT
export LUMIVEX_REGISTRY="$work/registry"

# ---- The picture -------------------------------------------------------------
picture="samples/coffee.png upscaled to 6000 x 4000"
if [[ -n "$magick" ]]; then
  "$magick" "$root/samples/coffee.png" -resize '6000x4000!' "$work/in.ppm"
  picture+=" by ImageMagick"
elif [[ -n "$vips" ]]; then
  # 600 x 400 to 6000 x 4000: ten times in each direction.
  "$vips" resize "$root/samples/coffee.png" "$work/in.ppm" 10
  picture+=" by vips"
else
  echo "compare-peers: neither ImageMagick nor vips is installed to upscale the photograph;" >&2
  echo "  install imagemagick or libvips-tools (apt-get install imagemagick libvips-tools)" >&2
  exit 1
fi
"$correct" --quiet --no-correct --quality 92 "$work/in.ppm" "$work/in.jpg" >/dev/null
bytes=$(($(head -c 64 "$work/in.ppm" | awk 'NR == 2 { print $1 * $2 * 3 }')))

# ---- Timing ------------------------------------------------------------------
# run NAME COMMAND...: one whole run pinned to the core, its wall seconds
# appended to NAME.time and its peak resident memory (KB) to NAME.peak.
run() {
  local name="$1" start end
  shift
  start=$(date +%s%N)
  if [[ -n "$timer" ]]; then
    "$timer" -f %M -o "$work/$name.mem" taskset -c "$cpu" "$@" >/dev/null 2>"$work/$name.err" ||
      { echo "compare-peers: $name failed:" >&2; cat "$work/$name.err" >&2; exit 1; }
    cat "$work/$name.mem" >>"$work/$name.peak"
  else
    taskset -c "$cpu" "$@" >/dev/null 2>"$work/$name.err" ||
      { echo "compare-peers: $name failed:" >&2; cat "$work/$name.err" >&2; exit 1; }
  fi
  end=$(date +%s%N)
  echo "$(((end - start) / 1000))" >>"$work/$name.time"
}

# Medians and spreads of one column of numbers.
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
minimum() { sort -g | head -n 1; }
maximum() { sort -g | tail -n 1; }

rows=()
# compare LABEL A_NAME B_NAME: runs the two commands defined as functions
# A_NAME and B_NAME in turn, PAIRS times after a warm-up, and adds a row.
compare() {
  local label="$1" a="$2" b="$3" i
  echo "timing $label" >&2
  "$a" warmup
  "$b" warmup
  rm -f "$work/$a".{time,peak} "$work/$b".{time,peak}
  for ((i = 0; i < pairs; ++i)); do
    "$a" "$a"
    "$b" "$b"
  done
  paste "$work/$a.time" "$work/$b.time" | awk '{ print $1 / $2 }' >"$work/$a-$b.ratio"
  rows+=("$(printf '%-46s %5.2f (%.2f-%.2f)   %7.2f   %7.2f' "$label" \
    "$(median <"$work/$a-$b.ratio")" "$(minimum <"$work/$a-$b.ratio")" "$(maximum <"$work/$a-$b.ratio")" \
    "$(median <"$work/$a.time" | awk '{ print $1 / 1e6 }')" "$(median <"$work/$b.time" | awk '{ print $1 / 1e6 }')")")
}

defaults=(--contrast 7 --color 7 --sharpen 6 --noise 7 --tonal-gamma 1.8 --target-gamma 1.8 --skin "229,190,168")
correct_ppm() { run "$1" "$correct" --quiet "$work/in.ppm" "$work/correct.ppm"; }
vips_sharpen() { run "$1" "$vips" sharpen "$work/in.ppm" "$work/vips.ppm"; }
magick_pipeline() {
  MAGICK_THREAD_LIMIT=1 run "$1" "$magick" -limit thread 1 "$work/in.ppm" -channel RGB -normalize -auto-gamma \
    +channel -unsharp 0x1+1+0.05 "$work/magick.ppm"
}
host_auto() { run "$1" "$host" --plugin "$plugin" --auto "$work/in.jpg" "$work/host.ppm"; }
correct_jpeg() { run "$1" "$correct" --quiet "${defaults[@]}" "$work/in.jpg" "$work/correct-jpeg.ppm"; }

skipped=()
if [[ -n "$vips" ]]; then
  compare "lumivex-correct / vips sharpen" correct_ppm vips_sharpen
else
  skipped+=("vips sharpen: vips is not installed (libvips-tools)")
fi
if [[ -n "$magick" ]]; then
  compare "lumivex-correct / ImageMagick, one thread" correct_ppm magick_pipeline
else
  skipped+=("ImageMagick: convert is not installed (imagemagick)")
fi
compare "lumivex-host --auto / lumivex-correct, JPEG" host_auto correct_jpeg
if ! cmp -s "$work/host.ppm" "$work/correct-jpeg.ppm"; then
  echo "compare-peers: lumivex-host --auto and lumivex-correct with the window's defaults gave different pixels" >&2
  exit 1
fi

# ---- Report ------------------------------------------------------------------
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt" 2>/dev/null || true)
echo "$(grep -m 1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //'); $(nproc) cores; every run pinned to core $cpu"
echo "programs from $build (${build_type:-unknown build type}); picture: $picture ($((bytes / 1000000)) MB of pixels)"
echo "$pairs pairs A B after a warm-up of each; wall time of whole processes"
[[ -n "$vips" ]] && echo "vips: $("$vips" --version)"
[[ -n "$magick" ]] && echo "ImageMagick: $("$magick" -version | head -n 1 | sed 's/^Version: //')"
echo
printf '%-46s %-18s %9s %9s\n' "comparison A / B" "ratio (min-max)" "A s" "B s"
printf '%s\n' "${rows[@]}"
if [[ -n "$timer" ]]; then
  peak() { median <"$work/$1.peak" | awk -v b="$bytes" '{ printf "%.1f MiB, %.2f times the picture", $1 / 1024, $1 * 1024 / b }'; }
  echo
  echo "peak memory (median): lumivex-host --auto $(peak host_auto); lumivex-correct $(peak correct_jpeg)"
fi
for reason in "${skipped[@]}"; do
  echo "skipped $reason"
done
