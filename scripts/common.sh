# Shared by test.sh and run.sh: installs what the build needs and builds with CMake.
# Source it from the repository's root.

# The main window's runs as a user starts it need a virtual X server with xdotool, and the X headers for the
# test tool that drops files on it. The workbook export writes with libxlsxwriter; its tests read the
# workbooks back with Python's openpyxl and with LibreOffice's spreadsheet, run headless.
TESSELY_PACKAGES=(cmake make g++ pkg-config libgtest-dev libgmock-dev qt6-base-dev
    xvfb xauth xdotool libx11-dev libxlsxwriter-dev python3-openpyxl libreoffice-calc-nogui)
# What fuzz/run.sh needs besides: clang with its libFuzzer and sanitizer runtimes; the workbook library.
TESSELY_FUZZ_PACKAGES=(cmake make clang libclang-rt-14-dev pkg-config libxlsxwriter-dev)
# What scripts/build-windows.sh and scripts/ci-windows.sh need: the MinGW-w64 cross compiler, GoogleTest's
# sources to build for it, Wine to run the tests, and zip for the download; for the workbook writer the MinGW
# build of zlib, the Linux libxlsxwriter whose version the Windows one is built at (from Debian's source
# package, which dpkg-dev unpacks) and openpyxl to read the workbooks back; for the main window Python (its
# icons and picture), NSIS (the installer), a virtual X server with xdotool for its tests, the host's C
# compiler and X headers for the tool that drops files on it, and Wine's fonts.
TESSELY_WINDOWS_PACKAGES=(cmake make g++-mingw-w64-x86-64-posix googletest wine wine64 zip
    libz-mingw-w64-dev libxlsxwriter-dev dpkg-dev python3-openpyxl
    python3 nsis xvfb xauth xdotool gcc libx11-dev fonts-wine)

tessely_missing_packages() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    echo "${missing[@]}"
}

# Installs the Debian packages given (or TESSELY_PACKAGES) when they are missing: through apt-get as root,
# otherwise by printing the one command to run.
tessely_install_packages() {
    local wanted=("$@")
    [ ${#wanted[@]} -gt 0 ] || wanted=("${TESSELY_PACKAGES[@]}")
    command -v dpkg-query >/dev/null || return 0
    local missing
    missing=$(tessely_missing_packages "${wanted[@]}")
    [ -n "$missing" ] || return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing: $missing"
        # Another package installation on the machine holds apt's locks for a while: wait for it rather
        # than fail.
        local wait=(-o DPkg::Lock::Timeout=900)
        apt-get "${wait[@]}" update -qq
        # shellcheck disable=SC2086
        DEBIAN_FRONTEND=noninteractive apt-get "${wait[@]}" install -y -qq --no-install-recommends $missing >/dev/null
    else
        echo "Missing packages. Run this, then try again:" >&2
        echo "  sudo apt-get install -y $missing" >&2
        return 1
    fi
}

# tessely_build DIR [CMAKE OPTIONS...]: configures and builds into DIR.
tessely_build() {
    local dir=$1
    shift
    local launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    cmake -S . -B "$dir" "${launcher[@]}" "$@" >/dev/null
    cmake --build "$dir" -j "$(nproc)"
}
