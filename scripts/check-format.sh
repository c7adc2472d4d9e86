#!/usr/bin/env bash
# Checks that C++ files follow .clang-format.  With a git revision, only the
# files changed since it are checked; without, every tracked file.  Generated
# tables are left out.  Exits non-zero and lists the files that differ.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -ge 1 ]; then
  files=$(git diff --name-only --diff-filter=AMR "$1" -- '*.cpp' '*.h')
else
  files=$(git ls-files -- '*.cpp' '*.h')
fi
files=$(printf '%s\n' "$files" | grep -v '_tables\.' | grep -v '^$' || true)
[ -n "$files" ] || { echo "check-format: nothing to check"; exit 0; }

bad=()
while IFS= read -r f; do
  [ -f "$f" ] || continue
  if ! clang-format --dry-run --Werror "$f" >/dev/null 2>&1; then
    bad+=("$f")
  fi
done <<< "$files"

if [ ${#bad[@]} -gt 0 ]; then
  echo "check-format: these files differ from .clang-format (run 'make format'):"
  printf '  %s\n' "${bad[@]}"
  exit 1
fi
echo "check-format: $(printf '%s\n' "$files" | wc -l) files follow .clang-format"
