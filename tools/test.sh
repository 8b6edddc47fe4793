#!/usr/bin/env bash
# Builds everything and runs every test, installing what a fresh machine lacks.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake --workflow --preset test
