#!/usr/bin/env bash
# Checks that every C++ file of the project is laid out as .clang-format says, or with
# --fix lays them out so. Fails naming the files that differ.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-packages.sh clang-format-14 git

mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format-14 -i "${files[@]}"
  exit 0
fi
unformatted=()
for f in "${files[@]}"; do
  clang-format-14 "$f" | cmp -s - "$f" || unformatted+=("$f")
done
if [ ${#unformatted[@]} -gt 0 ]; then
  printf 'not formatted: %s\n' "${unformatted[@]}" >&2
  echo "scripts/check-format.sh --fix lays them out." >&2
  exit 1
fi
echo "All ${#files[@]} C++ files are formatted."
