#!/usr/bin/env bash
# Installs everything Kolvane needs to build, test and run, with Debian's packages.
# Idempotent and quiet: packages already present are not touched.
set -euo pipefail

packages=(
    cmake g++ make pkg-config python3
    qt6-base-dev qt6-serialport-dev libqt6sql6-sqlite libsqlite3-dev qt6-multimedia-dev qt6-svg-dev
    qt6-qpa-plugins libqt6svg6 qt6-translations-l10n
    mdbtools-dev
    fonts-noto-cjk
    xvfb xauth
    # CI: the sanitizer build and the fuzz targets (clang, libFuzzer), the package and its checks
    clang ccache dpkg-dev desktop-file-utils appstream
    # the screenshot commands that tools/run.sh prints
    x11-apps imagemagick
)

# libFuzzer comes with the clang of the same version.
if command -v clang >/dev/null; then
    packages+=("libfuzzer-$(clang --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n 1)-dev")
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
# A clang installed just now brings its libFuzzer in a second round.
if command -v clang >/dev/null; then
    fuzzer="libfuzzer-$(clang --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n 1)-dev"
    dpkg-query -W -f='${Status}' "$fuzzer" 2>/dev/null | grep -q "install ok installed" ||
        $sudo apt-get install -y -qq --no-install-recommends "$fuzzer" >/dev/null
fi
