#!/usr/bin/env bash
# Fails when a C++ file of the repository differs from what clang-format-14 makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format-14 --dry-run --Werror
