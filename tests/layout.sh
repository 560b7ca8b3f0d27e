#!/bin/sh
# Checks every tracked C++ file against .clang-format; lists the files that
# differ, so `clang-format -i` on them is the fix.
set -eu
format=$1
cd "$2"
if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    echo "not a git checkout: nothing to check"
    exit 0
fi
git ls-files -z -- '*.cpp' '*.h' | xargs -0 "$format" --dry-run -Werror --style=file
