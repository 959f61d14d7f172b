#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the main tree under Xvfb with Mesa's software
# OpenGL, then the sanitizer trees (ASan+UBSan, TSan) and the fuzzers for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh

export LIBGL_ALWAYS_SOFTWARE=1
export QT_QPA_PLATFORM=xcb
# -noreset: the server stays as it is when its last client leaves; a reset races with the next test
# that connects, which then fails to open the display.
xvfb() { xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" "$@"; }

echo "== tests"
xvfb ctest --test-dir build --output-on-failure -j"$(nproc)"

echo "== tests under AddressSanitizer + UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -DTQ_SANITIZE=address -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-asan --target asan_suite -j"$(nproc)"
ASAN_OPTIONS=detect_leaks=0 xvfb ctest --test-dir build-asan -L asan --output-on-failure -j"$(nproc)"

echo "== tests under ThreadSanitizer"
cmake -S . -B build-tsan -DTQ_SANITIZE=thread -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-tsan --target tsan_suite -j"$(nproc)"
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" xvfb ctest --test-dir build-tsan -L tsan --output-on-failure -j"$(nproc)"

echo "== fuzzers (${TQ_FUZZ_SECONDS:-60} s each)"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DTQ_FUZZ=ON -DCMAKE_BUILD_TYPE=Debug \
  -DTQ_FUZZ_SECONDS="${TQ_FUZZ_SECONDS:-60}" >/dev/null
cmake --build build-fuzz --target fuzz_suite -j"$(nproc)"
ctest --test-dir build-fuzz -L fuzz --output-on-failure

echo "== all tests passed"
