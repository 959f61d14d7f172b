#!/usr/bin/env bash
# The layer check (scripts/check-layers.sh) on copies of the source tree: it passes the tree as it is,
# and refuses each kind of stray include or link planted into a copy, naming the place.
#
#   check_layers_test.sh <source-root> <work-folder>
set -uo pipefail

source_root="$1"
work="$2"
check="$source_root/scripts/check-layers.sh"
failures=0

# A fresh copy of the program's folders (tests, benchmarks and build trees are not layers).
fresh_copy() {
  rm -rf "$work"
  mkdir -p "$work"
  for folder in common settings media player renderer shell toolwindows; do
    cp -r "$source_root/$folder" "$work/"
  done
}

expect_pass() {
  local output
  if ! output="$(bash "$check" "$work")"; then
    echo "FAIL: the unchanged tree was refused:"
    echo "$output"
    failures=$((failures + 1))
  fi
}

# plant <file> <line>: appends the line; then the check must fail and name `expected` in its output.
expect_refused() {
  local file="$1" line="$2" expected="$3" output
  fresh_copy
  echo "$line" >>"$work/$file"
  if output="$(bash "$check" "$work")"; then
    echo "FAIL: '$line' in $file was not refused"
    failures=$((failures + 1))
  elif ! grep -q -F "$expected" <<<"$output"; then
    echo "FAIL: '$line' in $file: the message does not name '$expected':"
    echo "$output"
    failures=$((failures + 1))
  fi
}

fresh_copy
expect_pass

# Upward and sideways includes, and a circle between two layers.
expect_refused toolwindows/dialog.cpp '#include "shell/window.h"' \
  "toolwindows/dialog.cpp:"
expect_refused media/movie_source.cpp '#include "renderer/renderer.h"' \
  "media includes renderer/renderer.h"
expect_refused media/movie_source.cpp '#include "settings/settings.h"' \
  "media includes settings/settings.h"
expect_refused renderer/d3d9/d3d9_device.cpp '#include "renderer/renderer.h"' \
  "renderer/d3d9 includes renderer/renderer.h"
expect_refused renderer/hlsl/hlsl_tokens.h '#include "renderer/d3d9/d3d9.h"' \
  "renderer/hlsl includes renderer/d3d9/d3d9.h"
expect_refused common/error_line.cpp '#include "shell/win32/windows.h"' \
  "common includes shell/win32/windows.h"
# Platform headers outside the folder that wraps them.
expect_refused renderer/renderer.cpp '#include <QWidget>' "only shell/win32 may"
expect_refused renderer/hlsl/hlsl_tokens.cpp '#include <GL/glcorearb.h>' "only renderer/d3d9 may"
expect_refused renderer/d3d9/d3d9_device.cpp '#include <glslang/Public/ShaderLang.h>' "only renderer/hlsl may"
expect_refused player/movie_player.cpp '#include <spirv_cross/spirv_cross_c.h>' "only renderer/hlsl may"
expect_refused settings/settings_file.cpp '#include <libavformat/avformat.h>' "only media may"
expect_refused renderer/d3d9/d3d9_texture.cpp '#include <libavcodec/avcodec.h>' "only media may"
# A library that links one above it.
expect_refused toolwindows/CMakeLists.txt 'target_link_libraries(tq_toolwindows PRIVATE tq_shell)' \
  "tq_toolwindows links tq_shell"

if ((failures > 0)); then
  echo "$failures case(s) failed"
  exit 1
fi
echo "the layer check passes the tree and refuses every planted crossing"
