#!/usr/bin/env bash
# Builds the release and packs it for users: OUT_DIR/pinrow-<version>-win-x64.zip
# (default OUT_DIR: dist) holding pinrow.exe, the Japanese guide and the
# licence, and beside it the zip's SHA-256 in sha256sum's format. The
# version is the CMake project's. The same sources give the same bytes:
# the exe is linked without a time stamp and every zip entry carries
# SOURCE_DATE_EPOCH, or else the time of the last commit.
#
#     scripts/package.sh [OUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."

out_dir=${1:-dist}
guide="docs/はじめにお読みください.txt"

bash scripts/deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target pinrow

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows/CMakeCache.txt)
if [ -z "$version" ]; then
  echo "package: no project version in build/windows/CMakeCache.txt" >&2
  exit 1
fi
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || true)}
epoch=${epoch:-1767225600}  # 2026-01-01 outside a git checkout

name="pinrow-$version-win-x64.zip"
mkdir -p "$out_dir"
python3 scripts/package_zip.py "$out_dir/$name" "$epoch" \
  build/windows/pinrow.exe "$guide" LICENSE
(cd "$out_dir" && sha256sum "$name" >"$name.sha256")
echo "package: $out_dir/$name"
cat "$out_dir/$name.sha256"
