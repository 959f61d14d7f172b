#!/usr/bin/env bash
# Formats every C++ source file the repository tracks with clang-format 14 and the tree's
# .clang-format, in place.
#
#   scripts/format-tree.sh            formats the files and prints how many lines changed
#   scripts/format-tree.sh --check    changes nothing; lists the files that would change and exits 1
#                                     when there is one
set -euo pipefail
cd "$(dirname "$0")/.."

formatter=clang-format-14
command -v "$formatter" >/dev/null || { echo "format-tree: $formatter is missing (scripts/install-deps.sh)"; exit 1; }

mapfile -t files < <(git ls-files '*.cpp' '*.h')

if [ "${1:-}" = "--check" ]; then
  unformatted=0
  for file in "${files[@]}"; do
    if ! "$formatter" --style=file "$file" | cmp -s - "$file"; then
      echo "$file"
      unformatted=1
    fi
  done
  exit "$unformatted"
fi

changed=0
formatted=$(mktemp)
trap 'rm -f "$formatted"' EXIT
for file in "${files[@]}"; do
  "$formatter" --style=file "$file" > "$formatted"
  if ! cmp -s "$formatted" "$file"; then
    changed=$((changed + $(diff "$file" "$formatted" | grep -c '^[<>]' || true)))
    cat "$formatted" > "$file"
  fi
done
echo "format-tree: ${#files[@]} files, ${changed} lines changed (removed plus added)"
