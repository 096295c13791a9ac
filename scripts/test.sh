#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, checks the formatting and runs
# every test (headless).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

# Every source file as clang-format writes it; the list names the files that are not.
unformatted=()
while IFS= read -r -d '' f; do
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || unformatted+=("$f")
done < <(find src tests bench -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
if [ ${#unformatted[@]} -gt 0 ]; then
  echo "Not formatted (run clang-format -i on them):" >&2
  printf '  %s\n' "${unformatted[@]}" >&2
  exit 1
fi

export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j "$(nproc)" --timeout 600

# The core library and its tests once more under the address and undefined-behaviour sanitizers.
scripts/sanitize.sh
