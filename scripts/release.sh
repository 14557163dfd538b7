#!/usr/bin/env bash
# release.sh - builds every release artifact into dist/ (or $DIST): the Debian package, the
# source tarball and SHA256SUMS, all from the last commit. Two runs of the same commit give the
# same bytes, in whatever folder they run: sources are taken from the commit, file times from
# its date (SOURCE_DATE_EPOCH), and no build path reaches a binary.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh base qt package
dist=$(realpath -m "${DIST:-dist}")
[[ -z $(git status --porcelain --untracked-files=no) ]] ||
    echo "release.sh: note: uncommitted changes are not in the release; it is built from HEAD" >&2

export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
src=$work/src
build=$work/build
mkdir -p "$src"
git archive HEAD | tar -x -C "$src"

# The package: Debian's build flags (hardening, and no build folder in the binaries).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
(
    cd "$src"
    CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS) -ffile-prefix-map=$build=build" \
    LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
        cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
        -DTOLVEX_BUILD_TESTS=OFF -DTOLVEX_BUILD_BENCH=OFF >/dev/null
    cmake --build "$build"
    cd "$build" && cpack >/dev/null
)
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")

rm -rf "$dist"
mkdir -p "$dist"
cp "$build"/tolvex_"$version"_*.deb "$dist/"
git archive --format=tar --prefix="tolvex-$version/" HEAD | gzip -9n >"$dist/tolvex-$version.tar.gz"
(cd "$dist" && sha256sum -- * >SHA256SUMS)
echo "release.sh: Tolvex $version in $dist:"
ls -l "$dist"
