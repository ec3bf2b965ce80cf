#!/usr/bin/env bash
# Builds the release program with Debian's hardening flags, packs it as a .deb with
# `cpack -G DEB` (dependencies from dpkg-shlibdeps) and checks the package with lintian.
#
#   bash scripts/package.sh        # the package lands in build/package/
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh dpkg-dev file lintian

# Debian's compiler and linker flags: fortified sources, stack protector, full RELRO, PIE.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
# Only what the package holds; the tests and benchmarks install nothing.
cmake --build build/package --target quorbel quorbel_icons quorbel_texts
(cd build/package && cpack -G DEB)

deb=$(ls -t build/package/quorbel_*.deb | head -n1)
echo
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
echo "size: $(stat -c %s "$deb") bytes"
echo
echo "lintian:"
# Errors fail the script; warnings and notes are shown.
lintian --info --display-info --fail-on error "$deb"
