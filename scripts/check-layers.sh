#!/usr/bin/env bash
# Holds the source tree to its layers (README, "Architecture"): reads every #include of every source
# file of the program and every library a folder's CMakeLists.txt links, and fails, naming each
# offending line, when one reaches a folder above its own (or sideways, which is how a circle starts),
# or when a platform library's headers are used outside the one folder that wraps it.
#
#   scripts/check-layers.sh [source-root]      (default: the tree this script belongs to)
#
# Tests and benchmarks are not layers: they may include what they test. Exit status 0 when the tree
# keeps to the table, 1 otherwise.
set -uo pipefail

root="${1:-$(dirname "$0")/..}"
cd "$root" || { echo "check-layers: no such folder: $root"; exit 1; }

# The folders of the program, each with the folders it may include: the ones directly below it and,
# through them, everything further down. A strict order, so no two folders can include each other.
# shell/resources holds the menu-bar definition and its identifiers: data that any folder may name.
declare -A allowed=(
  [common]=""
  [shell/resources]=""
  [settings]="common shell/resources"
  [media]="common shell/resources"
  [shell/win32]="common shell/resources"
  [renderer/hlsl]="common shell/resources"
  [renderer/d3d9]="renderer/hlsl shell/win32 common shell/resources"
  [renderer]="renderer/d3d9 renderer/hlsl settings shell/win32 common shell/resources"
  [player]="renderer renderer/d3d9 renderer/hlsl media settings shell/win32 common shell/resources"
  [toolwindows]="player renderer renderer/d3d9 renderer/hlsl media settings shell/win32 common shell/resources"
  [shell]="toolwindows player renderer renderer/d3d9 renderer/hlsl media settings shell/win32 common shell/resources"
)
# The library each folder builds, for the check of what its CMakeLists.txt links.
declare -A library=(
  [common]=tq_common [settings]=tq_settings [media]=tq_media [shell/win32]=tq_win32
  [renderer/hlsl]=tq_hlsl [renderer/d3d9]=tq_d3d9 [renderer]=tq_renderer [player]=tq_player
  [toolwindows]=tq_toolwindows [shell]=tq_shell
)

# Platform headers (by the first part of the include path) and the one folder that may use each.
# FFmpeg is also the image decoder of the graphics layer, in that one file.
platform_of() {
  case "$1" in
    Q[A-Za-z]* | Qt[A-Za-z]*/* | qopengl*) echo "Qt shell/win32" ;;
    GL/* | GLES*/* | EGL/* | KHR/*) echo "GL renderer/d3d9" ;;
    glslang/* | SPIRV/*) echo "glslang renderer/hlsl" ;;
    spirv_cross/* | spirv_cross*.h*) echo "SPIRV-Cross renderer/hlsl" ;;
    libav*/* | libsw*/* | libpostproc/*) echo "FFmpeg media" ;;
  esac
}
ffmpeg_also_in="renderer/d3d9/d3dx9_texture_file.cpp"

# The folder (layer) a path belongs to: the longest known folder that holds it.
folder_of() {
  local path="$1" best="" f
  for f in "${!allowed[@]}"; do
    if [[ "$path" == "$f/"* && ${#f} -gt ${#best} ]]; then best="$f"; fi
  done
  echo "$best"
}

failures=0
fail() {
  echo "check-layers: $1"
  failures=$((failures + 1))
}

while IFS= read -r file; do
  from="$(folder_of "$file")"
  [[ -z "$from" ]] && continue
  while IFS= read -r hit; do
    line="${hit%%:*}"
    directive="${hit#*:}"
    if [[ "$directive" =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]]; then
      target="${BASH_REMATCH[1]}"
      to="$(folder_of "$target")"
      if [[ -z "$to" || "$to" == "$from" ]]; then continue; fi
      if [[ " ${allowed[$from]} " != *" $to "* ]]; then
        fail "$file:$line: $from includes $target ($to is not below $from)"
      fi
    elif [[ "$directive" =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\<([^\>]+)\> ]]; then
      target="${BASH_REMATCH[1]}"
      read -r platform home <<<"$(platform_of "$target")"
      [[ -z "${platform:-}" ]] && continue
      if [[ "$from" != "$home" ]] && ! [[ "$platform" == FFmpeg && "$file" == "$ffmpeg_also_in" ]]; then
        fail "$file:$line: $from includes $platform header <$target> (only $home may)"
      fi
    fi
  done < <(grep -n -E '^[[:space:]]*#[[:space:]]*include' "$file")
done < <(find . -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.in' \) \
           -not -path './build*' -not -path './tests/*' -not -path './bench/*' | sed 's#^\./##' | sort)

# What each folder's library links: only libraries of folders it may include.
for from in "${!library[@]}"; do
  cmake_file="$from/CMakeLists.txt"
  [[ -f "$cmake_file" ]] || continue
  links="$(grep -v '^[[:space:]]*#' "$cmake_file" | tr '\n' ' ' | grep -o -E 'target_link_libraries\([^)]*\)')"
  for to in "${!library[@]}"; do
    [[ "$to" == "$from" ]] && continue
    if grep -q -E "(^|[[:space:](])${library[$to]}([[:space:])]|$)" <<<"$links"; then
      if [[ " ${allowed[$from]} " != *" $to "* ]]; then
        fail "$cmake_file: ${library[$from]} links ${library[$to]} ($to is not below $from)"
      fi
    fi
  done
done

if ((failures > 0)); then
  echo "check-layers: $failures crossing(s) of the layer table"
  exit 1
fi
echo "check-layers: every include and link keeps to the layers"
