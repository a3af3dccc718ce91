# shellcheck shell=bash
# Checks shared by the install-tree and Debian-package tests. Sourced; the caller sets -euo pipefail.

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Exit code 77 makes CTest report the test as skipped (SKIP_RETURN_CODE).
skip() {
    echo "SKIPPED: $*"
    exit 77
}

# Files and links below a root, one relative path a line, sorted (folders left out).
list_files() {
    (cd "$1" && find . -mindepth 1 \( -type f -o -type l \) -printf '%P\n' | LC_ALL=C sort)
}

# The listed paths must be exactly the shipped set (of tests/package/installed-files, or the list
# named by INSTALLED_FILES).
expect_file_set() { # DESCRIPTION LIST_FILE
    local expected list=${INSTALLED_FILES:-installed-files}
    expected=$(LC_ALL=C sort "$(dirname "${BASH_SOURCE[0]}")/$list")
    if ! diff <(echo "$expected") "$2" >&2; then
        fail "$1: the files differ from tests/package/$list (< expected, > found)"
    fi
}

# Width and height from a PNG's header.
png_size() {
    od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d\n", $3 * 256 + $4, $7 * 256 + $8 }'
}

# What the installed files must hold and how they must fit together, below ROOT (the prefix /usr
# inside it). Runs the validators where they are installed.
check_installed_tree() { # ROOT SOURCE_DIR
    local root=$1 src=$2 usr=$1/usr

    [ -L "$usr/bin/bytescope" ] || fail "usr/bin/bytescope is no symbolic link"
    [ "$(readlink "$usr/bin/bytescope")" = ../lib/bytescope/bytescope ] ||
        fail "usr/bin/bytescope points to '$(readlink "$usr/bin/bytescope")', not to the program beside its files"
    [ -x "$usr/lib/bytescope/bytescope" ] || fail "the program is not executable"
    local version
    version=$("$usr/bin/bytescope" --version) || fail "bytescope --version failed"
    [ "$version" = "Bytescope 1.0" ] || fail "bytescope --version says '$version'"

    local language
    for language in en de; do
        cmp -s "$src/lang/bytescope.$language.itl" "$usr/share/bytescope/lang/bytescope.$language.itl" ||
            fail "usr/share/bytescope/lang/bytescope.$language.itl is not the shipped language file"
    done
    cmp -s "$usr/lib/bytescope/bytescope.itl" "$src/lang/bytescope.en.itl" ||
        cmp -s "$usr/lib/bytescope/bytescope.itl" "$src/lang/bytescope.de.itl" ||
        fail "usr/lib/bytescope/bytescope.itl is neither shipped language file"

    local icon
    for icon in "$usr/lib/bytescope/bytescope.png" "$usr/share/icons/hicolor/256x256/apps/bytescope.png"; do
        cmp -s "$src/src/app/icons/bytescope.png" "$icon" || fail "${icon#"$root"/} is not the program's icon"
    done
    [ "$(png_size "$usr/share/icons/hicolor/256x256/apps/bytescope.png")" = 256x256 ] ||
        fail "the icon in the 256x256 folder is $(png_size "$usr/share/icons/hicolor/256x256/apps/bytescope.png")"

    local desktop=$usr/share/applications/bytescope.desktop exec_name icon_name
    exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
    { [ -n "$exec_name" ] && [ -e "$usr/bin/$exec_name" ]; } || fail "the desktop file starts '$exec_name', which is not installed in bin"
    icon_name=$(sed -n 's/^Icon=//p' "$desktop")
    compgen -G "$usr/share/icons/hicolor/*/apps/$icon_name.png" >/dev/null ||
        fail "the desktop file names icon '$icon_name', which is not installed"

    local metainfo=$usr/share/metainfo/example.norvane.bytescope.metainfo.xml binary
    binary=$(sed -n 's|.*<binary>\(.*\)</binary>.*|\1|p' "$metainfo")
    { [ -n "$binary" ] && [ -e "$usr/bin/$binary" ]; } || fail "the metainfo provides binary '$binary', which is not installed"

    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$desktop" >&2 || fail "desktop-file-validate rejects the desktop file"
    else
        echo "note: desktop-file-validate is not installed (scripts/bootstrap installs it); not run"
    fi
    # validate-tree also checks that the metainfo's file name matches its id and that the desktop
    # file it launches is installed.
    if command -v appstreamcli >/dev/null; then
        appstreamcli validate-tree --no-net "$root" >&2 || fail "appstreamcli validate-tree rejects the installed files"
    else
        echo "note: appstreamcli is not installed (scripts/bootstrap installs it); not run"
    fi
}
