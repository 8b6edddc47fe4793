#!/usr/bin/env bash
# The main job on built-in sample data: build the four programs it runs,
# generate a small record source (once), download it through the service's
# stand-in into a fresh data directory and run every build step in the order
# of the main window's buttons, printing each press's outcome line; then
# sample models into OPTION1N (tools/models) and the factor builds once more
# against them. Of the viewer's grid (one horse's extended records) only the
# first lines are printed.
#
#   bash tools/demo.sh            # data directory out/demo/VOLQNQ4DPROJECT
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
# Only the four programs the demo runs (the build preset "demo"), not the
# test programs. On a terminal the build shows its progress as it goes;
# elsewhere it is quiet, and its messages are printed when it fails.
echo "== building volqbuild, volqfetch, volqgen, volqmodels (the first build takes minutes)"
build_failed() {
  echo "demo: the build failed (its messages above): mend what they say, then run" \
    "bash tools/demo.sh again" >&2
  exit 1
}
if [ -t 1 ]; then
  if ! configure_log=$(cmake --preset default 2>&1); then
    printf '%s\n' "$configure_log" >&2
    build_failed
  fi
  cmake --build --preset demo || build_failed
elif ! build_log=$(cmake --workflow --preset demo 2>&1); then
  printf '%s\n' "$build_log" >&2
  build_failed
fi

demo=out/demo
source_dir=$demo/source
data=$demo/VOLQNQ4DPROJECT
if [ ! -d "$source_dir" ]; then
  out/tools/gen/volqgen --out "$source_dir" --seed 1 --scale small >/dev/null
fi

# No step creates a folder: the data directory brings its folders along.
if [ -e "$data" ]; then
  echo "== demo: deleting $data (the last run's data directory, with everything in it)"
fi
rm -rf "$data"
mkdir -p "$data"
# The folders and the buttons as the build program's catalogue lists them.
catalogue=$(out/build/volqbuild --catalogue)
while read -r kind name _; do
  if [ "$kind" = folder ]; then mkdir -p "$data/$name"; fi
done <<<"$catalogue"

echo "== volqfetch: download through the stand-in"
out/fetch/volqfetch --data-dir "$data" --source "$source_dir" -c 'press Command2'

echo "== volqbuild: every step in the order of the buttons"
# The main window's buttons in their order. The extended-record window opens
# beside the main window as window 2: build the extended records, write the
# standard-time table and list the EX files, show the first horse's records;
# then back to the main window for the margin step (which reads the EX files)
# and the category window. There, per course type: the extraction from
# January 2018, the factor item build, the categorisation.
extended=""
while read -r kind window control step caption; do
  if [ "$kind" = button ] && [ "$window" = FormVOLQNQ4DEXPDSETUP2024ZZ ]; then
    extended+="press $caption; "
  fi
done <<<"$catalogue"
script=""
while read -r kind window control step caption; do
  [ "$kind" = button ] && [ "$window" = FormVolqBuild ] && [ "$step" != none ] || continue
  script+="press $control; "
  case $caption in
    VOLQNQ4DEXPD) script+="window 2; ${extended}pick List1 1; window 1; " ;;
    CATEGORY2006)
      for course in "Option1 Command2 Command5" "Option2 Command3 Command6" "Option3 Command4 Command7"; do
        read -r option build categorise <<<"$course"
        script+="type Text1 201801; press $option; press Command1; press $build; press $categorise; "
      done
      ;;
  esac
done <<<"$catalogue"
script+="windows"
# A step that skipped something says so and the exit status is 1: this first
# category window reports that OPTION1N holds no models yet. Anything else (a
# crash) stops the demo.
# The viewer's grid runs to some 130 lines: its first lines only. Each line
# is passed on at once, so the failure lines (standard error) stay beside the
# press that gave them.
short_grid() {
  awk -v keep=6 '
    function out(line) { print line; fflush() }
    /^  EXPFG +grid$/ { grid = 1; n = 0; out($0); next }
    grid && /^      / {
      if (++n <= keep) out($0)
      if (n == keep) out("      ... (the rest of the grid: the README shows how to print it whole)")
      next
    }
    { grid = 0; out($0) }'
}
status=0
out/build/volqbuild --data-dir "$data" -c "$script" | short_grid || status=$?
[ "$status" -le 1 ] || exit "$status"

# The models are fitted outside the system; the sample gets made-up ones from
# the categorisations above, and a new category window, which loads them when
# it opens, builds the factor items of the three course types once more:
# factors 17 and 29 now score against a full-size model.
echo "== volqmodels: sample models (made-up weights) into OPTION1N"
status=0
out/tools/models/volqmodels --data-dir "$data" || status=$?
[ "$status" -le 1 ] || exit "$status"
echo "== volqbuild: the factor builds once more, in a new category window"
status=0
out/build/volqbuild --data-dir "$data" -c "press Command10; window 2; press Command2; press Command3; press Command4" ||
  status=$?
[ "$status" -le 1 ] || exit "$status"
echo "== data directory: $data"
