#!/usr/bin/env bash
# Installs what a fresh machine lacks to build and test the programs: cmake,
# ninja, g++, GoogleTest/GoogleMock, libedit (line editing at the
# interactive prompt), clang-format (the format check of the tests) and
# strace (the interruption tests stop a program at a chosen system call).
# Says nothing when everything is there. apt's lock, held by another apt-get
# (an unattended upgrade, a second set-up), is waited for, up to
# VOLQ_APT_WAIT seconds (default 600).
set -euo pipefail
need=()
why=()
want() { need+=("$1") && why+=("$1 ($2)"); }
command -v cmake >/dev/null || want cmake "the build"
command -v ninja >/dev/null || want ninja-build "the build"
command -v g++ >/dev/null || want g++ "the C++ compiler"
[ -f /usr/include/gtest/gtest.h ] || want libgtest-dev "the tests"
[ -f /usr/include/gmock/gmock.h ] || want libgmock-dev "the tests"
[ -f /usr/include/histedit.h ] || want libedit-dev "line editing at the programs' prompt"
command -v clang-format >/dev/null || want clang-format "the tests' layout check"
command -v strace >/dev/null || want strace "the interruption tests"
[ ${#need[@]} -gt 0 ] || exit 0

echo "== setup: installing with apt-get: ${why[*]}"
# As root on a bare container; through sudo on a runner that has it.
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
wait_limit=${VOLQ_APT_WAIT:-600}
deadline=$((SECONDS + wait_limit))
log=$(mktemp)
trap 'rm -f "$log"' EXIT

give_up() {
  echo "setup: $1; the packages are not installed: ${need[*]}" >&2
  echo "setup: what to do: $2, then run the command again (a rerun installs what is still" \
    "missing), or install them yourself: ${as_root[*]:+${as_root[*]} }apt-get install -y ${need[*]}" >&2
  exit 1
}

# One apt-get command; while another program holds apt's lock it is tried
# again every 10 s until the limit.
apt() {
  while true; do
    local rc=0
    "${as_root[@]}" apt-get -o DPkg::Lock::Timeout=10 "$@" 2>&1 | tee "$log" || rc=${PIPESTATUS[0]}
    [ "$rc" -eq 0 ] && return 0
    if ! grep -q -e 'Could not get lock' -e 'Unable to acquire the dpkg frontend lock' \
      -e 'Unable to lock directory' "$log"; then
      give_up "apt-get $1 failed (exit status $rc, its messages above)" \
        "mend what apt-get says (no network: connect; no sudo: run as root)"
    fi
    if [ "$SECONDS" -ge "$deadline" ]; then
      give_up "apt's lock is still held after ${wait_limit} s" \
        "wait until the other apt-get or unattended upgrade has ended (ps -C apt-get,apt,dpkg,unattended-upgr)"
    fi
    echo "== setup: another program holds apt's lock (an unattended upgrade or another" \
      "apt-get); waiting for it (at most $((deadline - SECONDS)) s more)"
    sleep 10
  done
}

apt update
apt install -y "${need[@]}"
echo "== setup: installed ${need[*]}"
