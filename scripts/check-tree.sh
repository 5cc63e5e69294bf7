#!/usr/bin/env bash
# Guards on what the repository holds: no program output, nothing large, sources formatted.
# Run from anywhere; exits non-zero with the offending files named.
set -euo pipefail
cd "$(dirname "$0")/.."
fail=0

# Saved logs the program writes (tool-, auto-, before-clear-, before-close-) never belong in git.
logs=$(git ls-files | grep -E '(^|/)(auto|tool|before-clear|before-close)-[0-9]{8}-[0-9]{6}(-[0-9]+)?-log\.txt$' || true)
if [ -n "$logs" ]; then
    echo "error: saved-log files are tracked (git rm --cached them):"
    printf '  %s\n' $logs
    fail=1
fi

big=$(git ls-files -z | xargs -0 -r stat -c '%s %n' | awk '$1 > 1048576 {print "  " $2 " (" $1 " bytes)"}')
if [ -n "$big" ]; then
    echo "error: tracked files over 1 MB:"
    printf '%s\n' "$big"
    fail=1
fi

if command -v clang-format >/dev/null; then
    if ! git ls-files -z '*.cpp' '*.h' | xargs -0 -r clang-format --dry-run -Werror; then
        echo "error: sources not formatted: run clang-format -i on the files above"
        fail=1
    fi
else
    echo "note: clang-format not installed: formatting not checked"
fi
exit $fail
