#!/usr/bin/env bash
# Installs what is missing, builds, and starts Orvel.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
exec "${ORVEL_BUILD_DIR:-$top/build}/bin/orvel"
