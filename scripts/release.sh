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
version=$(sed -n 's/^project(Tolvex VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
src=$work/src
mkdir -p "$src"
git archive HEAD | tar -x -C "$src"
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

# The Windows programs, cross-built with mingw-w64; the portable zip and the setup program.
release_windows() {
    scripts/setup.sh base win winrelease
    local build=$work/build-windows stage=$work/tolvex-$version-win64
    (
        cd "$src"
        CXXFLAGS="-ffile-prefix-map=$src=src -ffile-prefix-map=$build=build" \
            cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
            -DCMAKE_BUILD_TYPE=Release -DTOLVEX_BUILD_TESTS=OFF >/dev/null
        cmake --build "$build" --target tolvex-win tolvex-cli
    )
    mkdir -p "$stage"
    cp "$build/ui/win32/tolvex.exe" "$build/cli/tolvex-cli.exe" "$stage/"
    bash "$root/scripts/lib/sign.sh" "$stage/tolvex.exe"
    bash "$root/scripts/lib/sign.sh" "$stage/tolvex-cli.exe"
    # Texts as Notepad on Windows reads them: CR LF, and the guide in UTF-8 with its mark.
    { printf '\xEF\xBB\xBF'; sed 's/$/\r/' "$src/packaging/windows/README.txt"; } >"$stage/README.txt"
    sed 's/$/\r/' "$src/LICENSE" >"$stage/LICENSE.txt"
    find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

    (cd "$work" && find "tolvex-$version-win64" | LC_ALL=C sort |
        TZ=UTC zip -q -X -9 -@ "$dist/tolvex-$version-win64.zip")

    local sign=()
    [[ -z ${TOLVEX_SIGN_CERT:-} ]] || sign=("-DSIGN=bash \"$root/scripts/lib/sign.sh\" \"%1\"")
    makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" \
        -DICON="$src/ui/win32/tolvex.ico" -DOUTFILE="$dist/tolvex-$version-win64-setup.exe" \
        "${sign[@]}" "$src/packaging/windows/tolvex.nsi" >/dev/null
}

[[ $parts != *" linux "* ]] || release_linux
[[ $parts != *" windows "* ]] || release_windows
git archive --format=tar --prefix="tolvex-$version/" HEAD | gzip -9n >"$dist/tolvex-$version.tar.gz"
(cd "$dist" && sha256sum -- * >SHA256SUMS)
echo "release.sh: Tolvex $version in $dist:"
ls -l "$dist"
