#!/usr/bin/env bash
# Installs the Debian packages the build needs, and the zh_CN.UTF-8 locale.
#   scripts/install-deps.sh native   compiler, CMake, Ninja, GoogleTest
#   scripts/install-deps.sh all      also MinGW-w64, Wine, Xvfb, fonts, clang-format, git,
#                                    and clang with its runtime libraries for the fuzz targets
# Runs as root or through sudo. Only missing packages are installed, so a
# second run does nothing.
set -euo pipefail

mode="${1:-all}"

native_packages=(g++ cmake make ninja-build googletest locales)
all_packages=(
    "${native_packages[@]}"
    git clang-format
    # libFuzzer and clang's sanitizer runtimes are in libclang-rt-14-dev, which
    # clang only suggests.
    clang libclang-rt-14-dev
    g++-mingw-w64-x86-64-posix
    wine wine64 fonts-wine
    libxrender1 libxrandr2 libxi6 libxcursor1 libxinerama1 libxcomposite1 libxfixes3
    xvfb x11-utils xdotool imagemagick fonts-wqy-microhei
)

case "$mode" in
    native) packages=("${native_packages[@]}") ;;
    all) packages=("${all_packages[@]}") ;;
    *)
        echo "usage: $0 native|all" >&2
        exit 2
        ;;
esac

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
        echo "install-deps: not root and sudo is missing" >&2
        exit 1
    fi
    as_root=(sudo)
fi

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

missing=()
for package in "${packages[@]}"; do
    installed "$package" || missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "install-deps: installing ${missing[*]}"
    apt_get=("${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get)
    if ! compgen -G '/var/lib/apt/lists/*_Packages' >/dev/null; then
        "${apt_get[@]}" update
    fi
    if ! "${apt_get[@]}" install -y --no-install-recommends "${missing[@]}"; then
        "${apt_get[@]}" update
        "${apt_get[@]}" install -y --no-install-recommends "${missing[@]}"
    fi
fi

# The Chinese locale: Wine needs it for code page 936 and Chinese file names.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'; then
    echo "install-deps: generating zh_CN.UTF-8"
    if grep -q '^# *zh_CN.UTF-8 UTF-8' /etc/locale.gen; then
        "${as_root[@]}" sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    elif ! grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen; then
        echo 'zh_CN.UTF-8 UTF-8' | "${as_root[@]}" tee -a /etc/locale.gen >/dev/null
    fi
    "${as_root[@]}" locale-gen >/dev/null
fi
