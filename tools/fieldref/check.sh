#!/usr/bin/env bash
# Fails when the checked-in field reference differs from what the layout
# tables give now, and says how to write it anew.
set -uo pipefail
program=$1 page=$2
now=$(mktemp)
trap 'rm -f "$now"' EXIT
if ! "$program" >"$now"; then
  echo "fieldref: $program failed (above): the layout tables need mending first" >&2
  exit 1
fi
if ! cmp -s "$page" "$now"; then
  echo "fieldref: docs/fields.md is not what the layout tables give now; the first differences:" >&2
  diff -u "$page" "$now" | head -20 >&2
  echo "fieldref: write it anew with: cmake --build --preset default --target fields-doc" >&2
  exit 1
fi
echo "fieldref: docs/fields.md is what the layout tables give"
