#!/usr/bin/env bash
# run.sh BUILD_DIR SCRATCH TOOLCHAIN APP_SOURCE
set -euo pipefail
build=$1 scratch=$2 toolchain=$3 app=$4
rm -rf "$scratch"
cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
cmake -S "$app" -B "$scratch/app" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
      -DCMAKE_PREFIX_PATH="$scratch/prefix" >/dev/null
cmake --build "$scratch/app"
"$(dirname "$toolchain")/../scripts/wine-run.sh" "$scratch/app/outside_app.exe"
