#!/usr/bin/env bash
# Runs one Windows program under Wine in the project's private prefix.
# VTL_BUILD may name another build tree; the CMake build sets it for its tests.
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
exec "$WINE" "$@"
