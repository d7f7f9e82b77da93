#!/usr/bin/env bash
# Installs the Debian packages Vela needs to build and test, when missing.
# With --windows: those of the Windows cross build and its tests under Wine
# as well (scripts/build-windows.sh asks for them).
set -euo pipefail

packages=(
  g++ cmake make pkg-config            # the compiler and the build
  clang-format                         # the committed code style (scripts/format.sh)
  libgtest-dev libgmock-dev            # unit tests
  libbenchmark-dev time                # benchmarks; /usr/bin/time -v for peak memory
  libsuitesparse-dev                   # CHOLMOD: the sparse Cholesky of large systems
  libopenblas0-pthread                 # the BLAS CHOLMOD runs on (the reference one is slow)
  libeigen3-dev                        # Eigen's sparse LDL': the Windows build's solver, checked against CHOLMOD
  clang libclang-rt-14-dev             # the libFuzzer targets (scripts/fuzz.sh)
  qt6-base-dev qt6-svg-dev             # desktop program, PNG/SVG/PDF export
  fonts-liberation                     # metric-compatible Times New Roman for labels
  fonts-wqy-microhei                   # the Chinese message texts
  xvfb xauth                           # a real X server for manual runs and screenshots
  poppler-utils                        # pdftoppm: the tests look at exported PDFs' pixels
  dpkg-dev lintian desktop-file-utils  # the Debian package: its dependencies, its checks
)
windows=(
  g++-mingw-w64-x86-64-posix           # the Windows cross compiler (the -win32 variant has no std::thread)
  googletest                           # GoogleTest's sources, built with the cross compiler
  wine wine64                          # runs the Windows build's tests and checks without a display
  xdotool imagemagick                  # the window's smoke test: keys to vela.exe, its screenshots
)
if [ "${1:-}" = "--windows" ]; then
  packages+=("${windows[@]}")
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
