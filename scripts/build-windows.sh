#!/usr/bin/env bash
# Cross-builds the Windows x64 programs on Linux: tessely.exe (the main window), tessely-cli.exe and the test
# programs, into build-windows/, with Debian's MinGW-w64 and a static runtime, then packs
# build-windows/tessely-<version>-win64.zip (both programs and the README) and the installer
# build-windows/tessely-<version>-setup.exe. libxlsxwriter is built with them, statically, from Debian's
# source package of the version that the Linux build uses. -DTESSELY_BUILD_GUI=OFF leaves out the main window
# and the installer. Installs what is missing first, Wine included, so that
# `ctest --test-dir build-windows` can run the tests under Wine afterwards.
# Extra arguments are passed to CMake's configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

tessely_install_packages "${TESSELY_WINDOWS_PACKAGES[@]}"

# debian_source PACKAGE DIR: unpacks Debian's source package of the installed binary PACKAGE, at the
# installed version, into DIR and prints the unpacked folder. apt fetches it through a deb-src entry for the
# archive and suite that the installed package came from, written into DIR with apt's lists and cache for
# it, so the machine's own sources and lists stay as they are. A source unpacked by an earlier run is kept.
debian_source() {
    local package=$1 dir=$2 source version upstream origin
    source=$(dpkg-query -W -f='${source:Package}' "$package")
    version=$(dpkg-query -W -f='${source:Version}' "$package")
    upstream=${version#*:}
    upstream=${upstream%-*}
    local unpacked=$dir/$source-$upstream
    if [ ! -f "$unpacked/.tessely-unpacked" ]; then
        # The version table marks the installed version with "***"; the line after it names the archive
        # ("500 http://deb.debian.org/debian bookworm/main amd64 Packages").
        origin=$(apt-cache policy "$package" | awk '/^ \*\*\* / { found = 1; next }
            found && $2 ~ /:\/\// { print $2, $3; exit }')
        [ -n "$origin" ] || { echo "no archive serves the installed $package" >&2; return 1; }
        local uri=${origin% *} suite=${origin#* }
        rm -rf "$dir"
        mkdir -p "$dir/sources" "$dir/lists/partial" "$dir/cache/archives/partial"
        echo "deb-src $uri ${suite%%/*} ${suite#*/}" >"$dir/sources/debian-source.list"
        local apt=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$PWD/$dir/sources"
            -o Dir::State::Lists="$PWD/$dir/lists" -o Dir::Cache="$PWD/$dir/cache" -o Dir::Cache::pkgcache=
            -o Dir::Cache::srcpkgcache= -o APT::Sandbox::User=root)
        apt-get -qq "${apt[@]}" update >&2
        (cd "$dir" && apt-get -qq "${apt[@]}" source "$source=$version" >&2)
        touch "$unpacked/.tessely-unpacked"
    fi
    echo "$PWD/$unpacked"
}
xlsxwriter_source=$(debian_source libxlsxwriter-dev build-windows/debian-source)

# The main window is asked for by name, so that a build folder configured without it earlier gets it again.
tessely_build build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DTESSELY_WERROR=ON -DTESSELY_BUILD_GUI=ON -DTESSELY_XLSXWRITER_SOURCE="$xlsxwriter_source" "$@"
cmake --build build-windows --target tessely_zip
if grep -q '^TESSELY_BUILD_GUI:BOOL=ON' build-windows/CMakeCache.txt; then
    cmake --build build-windows --target tessely_installer
fi
