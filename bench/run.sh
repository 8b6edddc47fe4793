#!/usr/bin/env bash
# Full-size benchmark: generates the sample record source once (cached), then
# times every step on it and prints one table: wall and CPU seconds, the
# seconds of those spent putting the step's outputs on disk at its end (sync),
# peak memory, bytes and files written, and the ratio to a plain copy of the
# same output files (raw I/O).
#
#   bash bench/run.sh              # seed 1, full scale
#   SEED=7 SCALE=small bash bench/run.sh
#   bash bench/run.sh --manifest FILE   # also write the checksum manifest
#
# The manifest holds the sha256 of every file a category-window step or the
# sample models wrote, after each such step, and of every file of the data
# directory after the whole pipeline, sorted by path: two commits whose
# manifests of one seed and scale are identical built the same bytes.
set -euo pipefail
cd "$(dirname "$0")/.."

MANIFEST=
while [ $# -gt 0 ]; do
  case $1 in
    --manifest) MANIFEST=$(realpath -m "$2"); shift 2 ;;
    *) echo "bench: unknown option '$1' (usage: bench/run.sh [--manifest FILE])" >&2; exit 2 ;;
  esac
done

SEED=${SEED:-1}
SCALE=${SCALE:-full}
SRC=out/bench-source/$SCALE-seed$SEED
DATA=out/bench-data
SCRATCH=out/bench-scratch

[ -x /usr/bin/time ] || { echo "bench: needs /usr/bin/time (apt-get install -y time)" >&2; exit 1; }
bash tools/setup.sh
# Quiet when it builds; the compiler's messages when it does not.
if ! build_log=$(cmake --workflow --preset build 2>&1); then
  printf '%s\n' "$build_log" >&2
  echo "bench: the build failed (its messages above)" >&2
  exit 1
fi

# ---------------------------------------------------------------------------
# STEPS: one entry per step, "name|command", run in order from the repository
# root with $SRC (the record source) and $DATA (the data directory) set. Add
# the download and each build step here as they come into being.
B='out/build/volqbuild --data-dir "$DATA" -c'
# The folders and the buttons as the build program's catalogue lists them.
CATALOGUE=$(out/build/volqbuild --catalogue)
STEPS=(
  "download (stand-in, 3 s phase)|out/fetch/volqfetch --data-dir \"\$DATA\" --source \"\$SRC\" -c 'press Command2'"
)
# The main window's step buttons in their order, and the extended-record
# window's steps where its button opens it.
while read -r kind window control step caption; do
  if [ "$kind" != button ] || [ "$window" != FormVolqBuild ]; then continue; fi
  if [ "$step" = step ]; then
    STEPS+=("$control $caption|$B 'press $control'")
  elif [ "$caption" = VOLQNQ4DEXPD ]; then
    while read -r k w c _ cap; do
      if [ "$k" = button ] && [ "$w" = FormVOLQNQ4DEXPDSETUP2024ZZ ]; then
        STEPS+=("$control $cap|$B 'press $control; window 2; press $c'")
      fi
    done <<<"$CATALOGUE"
  fi
done <<<"$CATALOGUE"
STEPS+=(
  # The category window (window 2); a step that reports what it skipped exits
  # with 1, which the table does not count as an error.
  "Command1 extraction, 3 course types|$B 'press Command10; window 2; type Text1 201801; press Option1; press Command1; type Text1 201801; press Option2; press Command1; type Text1 201801; press Option3; press Command1' || [ \$? -eq 1 ]"
  "Command2 turf factor items|$B 'press Command10; window 2; press Command2' || [ \$? -eq 1 ]"
  "Command3 dirt factor items|$B 'press Command10; window 2; press Command3' || [ \$? -eq 1 ]"
  "Command4 steeplechase factor items|$B 'press Command10; window 2; press Command4' || [ \$? -eq 1 ]"
  "Command5 turf categories|$B 'press Command10; window 2; press Command5' || [ \$? -eq 1 ]"
  "Command6 dirt categories|$B 'press Command10; window 2; press Command6' || [ \$? -eq 1 ]"
  "Command7 steeplechase categories|$B 'press Command10; window 2; press Command7' || [ \$? -eq 1 ]"
  # Sample models (made-up weights) from the categorisations, then the factor
  # builds once more in windows that load them: factors 17 and 29 look up every
  # entry's categories in a full-size model.
  "volqmodels (sample models)|out/tools/models/volqmodels --data-dir \"\$DATA\""
  "Command2 turf items, models|$B 'press Command10; window 2; press Command2' || [ \$? -eq 1 ]"
  "Command3 dirt items, models|$B 'press Command10; window 2; press Command3' || [ \$? -eq 1 ]"
  "Command4 steeplechase items, models|$B 'press Command10; window 2; press Command4' || [ \$? -eq 1 ]"
)
# ---------------------------------------------------------------------------

rows=()
seconds_of() {  # h:mm:ss.ss or m:ss.ss -> seconds
  awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; printf "%.2f", s }' <<<"$1"
}

# Runs one command under /usr/bin/time -v; sets wall, cpu, rss_mb.
measure() {
  local log
  log=$(mktemp)
  /usr/bin/time -v -o "$log" bash -c "$1" >"$log.out" 2>&1 || { cat "$log.out" >&2; rm -f "$log" "$log.out"; return 1; }
  wall=$(seconds_of "$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$log")")
  cpu=$(awk -F': ' '/User time|System time/ { s += $2 } END { printf "%.2f", s }' "$log")
  rss_mb=$(awk -F': ' '/Maximum resident set size/ { printf "%.0f", $2 / 1024 }' "$log")
  rm -f "$log" "$log.out"
}

# sha256 of the data directory's files (find's tests narrow them), by path.
checksums() {
  (cd "$DATA" && find . -type f "$@" -print0 | xargs -0 -r -n 1000 -P 8 sha256sum) | sort -k 2
}
[ -z "$MANIFEST" ] || : >"$MANIFEST"

if [ ! -f "$SRC/.complete" ]; then
  rm -rf "$SRC"
  mkdir -p "$(dirname "$SRC")"
  measure "out/tools/gen/volqgen --out '$SRC' --seed $SEED --scale $SCALE"
  touch "$SRC/.complete"
  bytes=$(find "$SRC" -type f -name '*.jvd' -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }')
  files=$(find "$SRC" -type f -name '*.jvd' | wc -l)
  rows+=("volqgen ($SCALE, seed $SEED)|$wall|$cpu|-|$rss_mb|$bytes|$files|-")
else
  echo "bench: record source cached in $SRC"
fi

# The stand-in's own settings for this run: a simulated download of 3 s.
export XDG_CONFIG_HOME=$PWD/out/bench-config
mkdir -p "$XDG_CONFIG_HOME/volq"
printf 'download_seconds=3\n' >"$XDG_CONFIG_HOME/volq/jvlink-stand-in.conf"

export SRC DATA
rm -rf "$DATA"
mkdir -p "$DATA"
while read -r kind name _; do
  if [ "$kind" = folder ]; then mkdir -p "$DATA/$name"; fi
done <<<"$CATALOGUE"
# Each step's programs add the seconds of their syncs at a step's end here.
export VOLQ_SYNC_LOG=$PWD/out/bench-sync.log
for step in "${STEPS[@]}"; do
  name=${step%%|*}
  command=${step#*|}
  marker=$(mktemp)
  : >"$VOLQ_SYNC_LOG"
  sleep 0.01
  measure "$command"
  sync_s=$(awk '{ s += $1 } END { printf "%.2f", s }' "$VOLQ_SYNC_LOG")
  # What the step wrote, and a plain copy of the same files for comparison.
  mapfile -t written < <(find "$DATA" -type f -newer "$marker")
  bytes=$(find "$DATA" -type f -newer "$marker" -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }')
  rm -rf "$SCRATCH"
  mkdir -p "$SCRATCH"
  start=$(date +%s.%N)
  if [ ${#written[@]} -gt 0 ]; then printf '%s\0' "${written[@]}" | xargs -0 cp --parents -t "$SCRATCH"; fi
  copy=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }')
  ratio=$(awk -v w="$wall" -v c="$copy" 'BEGIN { if (c > 0) printf "%.1f", w / c; else print "-" }')
  rows+=("$name|$wall|$cpu|$sync_s|$rss_mb|$bytes|${#written[@]}|$ratio (copy ${copy} s)")
  if [ -n "$MANIFEST" ] && [[ $command == *"press Command10"* || $command == *volqmodels* ]]; then
    { echo "== after $name"; checksums -newer "$marker"; } >>"$MANIFEST"
  fi
  rm -f "$marker"
done
if [ -n "$MANIFEST" ]; then
  { echo "== data directory after every step"; checksums; } >>"$MANIFEST"
  echo "bench: checksum manifest in $MANIFEST"
fi
rm -rf "$SCRATCH" "$VOLQ_SYNC_LOG"

[ ${#STEPS[@]} -gt 0 ] || echo "bench: no steps listed yet (STEPS in bench/run.sh)"
printf '%-34s %9s %9s %9s %9s %14s %8s  %s\n' step wall_s cpu_s sync_s peak_MB bytes_written files vs_raw_copy
for r in "${rows[@]}"; do
  IFS='|' read -r n w c y m b f x <<<"$r"
  printf '%-34s %9s %9s %9s %9s %14s %8s  %s\n' "$n" "$w" "$c" "$y" "$m" "$b" "$f" "$x"
done
