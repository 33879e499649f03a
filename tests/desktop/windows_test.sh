#!/usr/bin/env bash
# Cross-compiles the Qt-free core and the program file's version resource with
# mingw-w64, as for Windows, and reads the version strings back out of the resource.
# Nothing of it can run here; it must compile, warnings being errors.
# Usage: windows_test.sh SOURCE_DIR BUILD_DIR VERSION
set -euo pipefail
source=$1 build=$2 version=$3
cmake -S "$source" -B "$build" -DKALVERO_CORE_ONLY=ON -DBUILD_TESTING=OFF -DCMAKE_SYSTEM_NAME=Windows \
      -DCMAKE_CXX_COMPILER=x86_64-w64-mingw32-g++ -DCMAKE_RC_COMPILER=x86_64-w64-mingw32-windres \
      -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --parallel "$(nproc)"
ls "$build"/libkalvero_core.a >/dev/null
res=$(find "$build" -name 'kalvero.rc.res' | head -1)
[ -n "$res" ] || { echo "no compiled version resource"; exit 1; }
# The resource's strings are UTF-16, each name followed by its value; read them a line each.
strings=$(iconv -f UTF-16LE -t UTF-8 -c "$res" | tr '\0' '\n' | grep -v '^$')
for pair in "FileVersion:$version" "ProductVersion:$version" "ProductName:Kalvero" "InternalName:Kalvero"; do
    [ "$(grep -A1 -a "${pair%%:*}$" <<<"$strings" | sed -n 2p)" = "${pair#*:}" ] || { echo "the resource lacks $pair"; exit 1; }
done
echo "the core and the version resource compile for Windows: FileVersion and ProductVersion $version, ProductName and InternalName Kalvero"
