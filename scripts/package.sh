#!/usr/bin/env bash
# Builds the Debian package (cpack -G DEB) from an optimised build and checks
# it: its control data and file list, lintian (where installed), and the
# packaged vela-cli, unpacked into a scratch folder, solving the packaged
# portal frame to the golden files. With --install (CI only: it installs
# system-wide) it also installs the package with apt and runs both programs
# from /usr/bin.
# Usage: scripts/package.sh [--install]   (leaves build/vela_<version>_amd64.deb)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${VELA_BUILD:-build}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target vela vela-cli vela_package_files >/dev/null
rm -f "$build"/vela_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/vela_*.deb)
echo "package: $deb"

dpkg-deb --info "$deb" >/dev/null
contents=$(dpkg-deb --contents "$deb" | awk '{ print $6 }')
for path in ./usr/bin/vela ./usr/bin/vela-cli ./usr/libexec/vela/vela-picture ./usr/share/applications/vela.desktop \
            ./usr/share/icons/hicolor/scalable/apps/vela.svg ./usr/share/man/man1/vela.1.gz \
            ./usr/share/man/man1/vela-cli.1.gz ./usr/share/doc/vela/copyright ./usr/share/doc/vela/changelog.gz \
            ./usr/share/doc/vela/examples/portal.txt "./usr/share/doc/vela/examples/综合算例.txt"; do
  if ! grep -qxF "$path" <<<"$contents"; then
    echo "the package lacks $path" >&2
    exit 1
  fi
done
depends=$(dpkg-deb --field "$deb" Depends)
for needed in libcholmod3 libqt6widgets6 fonts-wqy-microhei; do
  if ! grep -q "$needed" <<<"$depends"; then
    echo "the package does not depend on $needed: $depends" >&2
    exit 1
  fi
done

if command -v lintian >/dev/null; then
  # Errors and warnings fail; lintian's notice about running as root does not.
  report=$(lintian --fail-on error,warning "$deb" 2>&1 | grep -v 'running with root privileges' || true)
  if [ -n "$report" ]; then
    echo "$report" >&2
    exit 1
  fi
  echo "lintian: clean"
else
  echo "lintian: not installed, skipped"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb --extract "$deb" "$work/root"
"$work/root/usr/bin/vela-cli" solve "$work/root/usr/share/doc/vela/examples/portal.txt" -C "$work/out" >/dev/null
for file in tests/data/golden/portal/*; do
  cmp "$file" "$work/out/$(basename "$file")"
done
echo "packaged vela-cli: the portal frame's nine files match the golden ones"
# PNG comes from the picture program, which vela-cli finds where the package puts it.
"$work/root/usr/bin/vela-cli" render "$work/root/usr/share/doc/vela/examples/portal.txt" -o "$work/portal.png"
test "$(head -c 4 "$work/portal.png" | tail -c 3)" = PNG
echo "packaged vela-cli: draws a PNG through the packaged picture program"

if [ "${1:-}" = "--install" ]; then
  apt-get install -y -qq "$PWD/$deb" >/dev/null
  vela-cli --version
  QT_QPA_PLATFORM=offscreen vela --version
  vela-cli solve /usr/share/doc/vela/examples/综合算例.txt -C "$work/installed" >/dev/null
  QT_QPA_PLATFORM=offscreen vela-cli render /usr/share/doc/vela/examples/portal.txt -o "$work/installed/portal.pdf"
  for file in tests/data/golden/综合算例/*; do
    cmp "$file" "$work/installed/$(basename "$file")"
  done
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate /usr/share/applications/vela.desktop
  fi
  echo "installed with apt: both programs run from /usr/bin"
fi
