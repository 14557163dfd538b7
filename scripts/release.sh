#!/usr/bin/env bash
# release.sh - builds every release file into dist/ (or $DIST), all from the last commit:
#   linux    the Debian package
#   windows  the portable zip and the per-user setup program, signed when a certificate and
#            key are given (scripts/lib/sign.sh tells how)
# and always the source tarball and SHA256SUMS. Two runs of the same commit give the same
# bytes, in whatever folder they run: sources are taken from the commit, file times from its
# date (SOURCE_DATE_EPOCH), and no build path reaches a binary. Signed files differ, as a
# signature holds its own time.
# Usage: scripts/release.sh [linux] [windows]   (no argument: both)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
parts=" ${*:-linux windows} "
dist=$(realpath -m "${DIST:-dist}")
[[ -z $(git status --porcelain --untracked-files=no) ]] ||
    echo "release.sh: note: uncommitted changes are not in the release; it is built from HEAD" >&2
source scripts/lib/installer.sh

export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
src=$work/src
mkdir -p "$src"
git archive HEAD | tar -x -C "$src"
scripts/setup.sh base
# The version as CMake reads it from the project() of the commit.
version=$(cmake -P "$src/scripts/lib/project-version.cmake")
rm -rf "$dist"
mkdir -p "$dist"

# The Debian package, with Debian's build flags (hardening, no build folder in the binaries).
release_linux() {
    scripts/setup.sh base qt package
    local build=$work/build-linux
    (
        export DEB_BUILD_MAINT_OPTIONS=hardening=+all
        cd "$src"
        CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS) -ffile-prefix-map=$build=build" \
        LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
            cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
            -DTOLVEX_BUILD_TESTS=OFF -DTOLVEX_BUILD_BENCH=OFF >/dev/null
        cmake --build "$build"
        cd "$build" && cpack >/dev/null
    )
    cp "$build"/tolvex_"$version"_*.deb "$dist/"
}

# The Windows programs, cross-built with mingw-w64, installed by their install rules into the
# folder the portable zip holds; the zip, and the setup program of that folder.
release_windows() {
    scripts/setup.sh base win winrelease
    local build=$work/build-windows stage=$work/tolvex-$version-win64
    (
        cd "$src"
        CXXFLAGS="-ffile-prefix-map=$src=src -ffile-prefix-map=$build=build" \
            cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
            -DCMAKE_BUILD_TYPE=Release -DTOLVEX_BUILD_TESTS=OFF -DTOLVEX_BUILD_BENCH=OFF >/dev/null
        cmake --build "$build"
    )
    cmake --install "$build" --prefix "$stage" >/dev/null
    for program in "$stage"/*.exe; do
        bash "$root/scripts/lib/sign.sh" "$program"
    done
    find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

    (cd "$work" && find "tolvex-$version-win64" | LC_ALL=C sort |
        TZ=UTC zip -q -X -9 -@ "$dist/tolvex-$version-win64.zip")

    local sign=()
    [[ -z ${TOLVEX_SIGN_CERT:-} ]] || sign=("-DSIGN=bash \"$root/scripts/lib/sign.sh\" \"%1\"")
    make_installer "$src" "$version" "$stage" "$dist/tolvex-$version-win64-setup.exe" "${sign[@]}"
}

[[ $parts != *" linux "* ]] || release_linux
[[ $parts != *" windows "* ]] || release_windows
git archive --format=tar --prefix="tolvex-$version/" HEAD | gzip -9n >"$dist/tolvex-$version.tar.gz"
(cd "$dist" && sha256sum -- * >SHA256SUMS)
echo "release.sh: Tolvex $version in $dist:"
ls -l "$dist"
