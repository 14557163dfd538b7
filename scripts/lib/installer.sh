# installer.sh - sourced: builds the Windows setup program from a staged folder.

# make_installer <sources> <version> <stage> <setup.exe> [makensis options...]: the setup
# program of packaging/windows/tolvex.nsi in <sources>, which installs the files of <stage> (a
# flat folder, as `cmake --install` leaves it) and whose uninstaller removes exactly those.
make_installer() {
    local sources=$1 version=$2 stage=$3 out=$4
    shift 4
    local list=$stage.files.nsh name
    {
        echo '!macro FILES DO'
        while IFS= read -r name; do
            [[ $name =~ ^[A-Za-z0-9._-]+$ && -f $stage/$name ]] ||
                { echo "installer.sh: the setup program takes plain files, not '$name'" >&2; return 1; }
            echo "    \${DO} \"$name\""
        done < <(ls -A "$stage" | LC_ALL=C sort)
        echo '!macroend'
    } >"$list"
    makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" -DFILES="$list" \
        -DICON="$sources/ui/win32/tolvex.ico" -DOUTFILE="$out" "$@" \
        "$sources/packaging/windows/tolvex.nsi" >/dev/null
}
