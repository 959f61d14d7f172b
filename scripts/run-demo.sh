#!/usr/bin/env bash
# Installs what is missing, builds, prepares the demo folder once and runs the player in it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
scripts/make-demo.sh demo
cd demo
exec ../build/shell/tandemix
