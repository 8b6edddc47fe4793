#!/usr/bin/env bash
# Installs what a fresh machine lacks to build and test the programs: cmake,
# ninja, g++, GoogleTest/GoogleMock, libedit (line editing at the
# interactive prompt), clang-format (the format check of the tests) and
# strace (the interruption tests stop a program at a chosen system call).
set -euo pipefail
need=()
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
command -v g++ >/dev/null || need+=(g++)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
[ -f /usr/include/gmock/gmock.h ] || need+=(libgmock-dev)
[ -f /usr/include/histedit.h ] || need+=(libedit-dev)
command -v clang-format >/dev/null || need+=(clang-format)
command -v strace >/dev/null || need+=(strace)
if [ ${#need[@]} -gt 0 ]; then
  # As root on a bare container; through sudo on a runner that has it.
  as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  "${as_root[@]}" apt-get update && "${as_root[@]}" apt-get install -y "${need[@]}"
fi
