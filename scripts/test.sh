#!/usr/bin/env bash
# Builds everything and runs every test under Wine; exits non-zero when a test fails.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
vtl_install
vtl_configure
vtl_session
cmake --build "$VTL_BUILD" -j"$(nproc)"
# One test at a time: they share the Wine desktop and its foreground window.
ctest --test-dir "$VTL_BUILD" --output-on-failure --timeout 300 -j1 "$@"
