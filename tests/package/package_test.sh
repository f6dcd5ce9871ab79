#!/usr/bin/env bash
# Builds the Debian package from a build tree, unpacks it into a scratch root (dpkg -x) and starts
# both programs from there: the package holds what it should, the headless command finds its
# settings in $XDG_CONFIG_HOME/skerrow, and the window finds its French catalog and help book in
# the unpacked usr/share/skerrow. Debian's own checks run on it as well: lintian on the package,
# hardening-check on both programs.
#   tests/package/package_test.sh BUILD_DIR [--no-fortify]
# --no-fortify: the build has no _FORTIFY_SOURCE (unoptimised, or under a sanitizer; see the top
# CMakeLists.txt), so hardening-check is not to look for glibc's checked functions.
set -euo pipefail
build=$(cd "$1" && pwd)
fortify=yes
[ "${2:-}" = --no-fortify ] && fortify=no
work=$(mktemp -d /tmp/skerrow-package-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
expect_line() { # file, exact line
    grep -qxF -- "$2" "$1" || { cat "$1" >&2; fail "no line '$2' in $(basename "$1")"; }
}

if ! cpack --config "$build/CPackConfig.cmake" -B "$work/out" > "$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    fail "cpack"
fi
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb="$work/out/skerrow_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls "$work/out" >&2; fail "no package named $(basename "$deb")"; }

# lintian: no error. Its warnings are printed for whoever reads the log, and do not fail.
command -v lintian > /dev/null || fail "lintian is not installed (./skerrow.sh test installs it)"
lintian_status=0
lintian "$deb" > "$work/lintian.log" 2>&1 || lintian_status=$?
cat "$work/lintian.log"
if grep -q '^E:' "$work/lintian.log" || [ $lintian_status -ne 0 ]; then
    fail "lintian (exit $lintian_status)"
fi

# The files, each where the desktop and the program look for it.
dpkg-deb -c "$deb" | awk '{print $NF}' > "$work/contents"
for f in usr/bin/skerrow usr/bin/skerrow-cli \
         usr/share/skerrow/LangFRA.mo usr/share/skerrow/LangGER.mo usr/share/skerrow/skerrow.htb \
         usr/share/skerrow/skerrow_fr.htb usr/share/skerrow/skerrow_de.htb \
         usr/share/applications/org.skerrow.Skerrow.desktop usr/share/metainfo/org.skerrow.Skerrow.metainfo.xml \
         usr/share/icons/hicolor/48x48/apps/skerrow.png usr/share/icons/hicolor/256x256/apps/skerrow.png \
         usr/share/icons/hicolor/scalable/apps/skerrow.svg \
         usr/share/man/man1/skerrow.1.gz usr/share/man/man1/skerrow-cli.1.gz \
         usr/share/doc/skerrow/copyright usr/share/doc/skerrow/changelog.gz; do
    expect_line "$work/contents" "./$f"
done
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libwxgtk3.2-1 libcurl4 libssl3; do
    [[ $depends == *"$lib"* ]] || fail "Depends lacks $lib: $depends"
done

root="$work/root"
dpkg -x "$deb" "$root"
if command -v appstreamcli > /dev/null; then
    appstreamcli validate --no-net "$root/usr/share/metainfo/org.skerrow.Skerrow.metainfo.xml" > "$work/appstream.log" 2>&1 ||
        { cat "$work/appstream.log" >&2; fail "AppStream metadata"; }
fi
gzip -t "$root/usr/share/man/man1/skerrow.1.gz" "$root/usr/share/man/man1/skerrow-cli.1.gz"

# The changelog's newest entry is this version: a new version needs its entry.
gzip -dc "$root/usr/share/doc/skerrow/changelog.gz" > "$work/changelog"
logged=$(dpkg-parsechangelog -l "$work/changelog" -S Version)
[ "$logged" = "$version" ] || fail "the changelog's newest entry is $logged, the package $version"

# hardening-check: every check passes on both programs (the tool exits 1 when one says "no").
# "Fortify Source functions: unknown" is no failure: it means the program calls none of the libc
# functions that have a checked variant, so there is nothing to check. Control flow integrity (the
# x86 IBT and SHSTK marking) is checked only where the C library's start files carry it: the linker
# marks a program only when every object in it is marked, and Debian 12's crti.o is not, so no
# program linked there has it (/usr/bin/ls no more than ours).
command -v hardening-check > /dev/null || fail "hardening-check is not installed (./skerrow.sh test installs devscripts)"
checks=()
[ $fortify = yes ] || checks+=(--nofortify)
readelf -n "$(cc -print-file-name=crti.o)" 2>/dev/null | grep -q 'IBT, SHSTK' || checks+=(--nocfprotection)
hardening-check "${checks[@]}" "$root/usr/bin/skerrow" "$root/usr/bin/skerrow-cli" > "$work/hardening.log" 2>&1 ||
    { cat "$work/hardening.log" >&2; fail "hardening-check"; }

# A clean environment: nothing of the caller's settings, a private home and configuration directory.
mkdir -p "$work/home" "$work/cfg/skerrow" "$work/site/img"
run() { env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_CONFIG_HOME="$work/cfg" ASAN_OPTIONS=detect_leaks=0 "$@"; }

run "$root/usr/bin/skerrow-cli" --help > "$work/help.txt" || fail "skerrow-cli --help"
grep -q "tree-delete" "$work/help.txt" || fail "skerrow-cli --help says nothing of its commands"
grep -qF "$work/cfg/skerrow/skerrow.ini" "$work/help.txt" || fail "skerrow-cli --help names another settings file"
run "$root/usr/bin/skerrow-cli" --version > "$work/version.txt" || fail "skerrow-cli --version"
[ -s "$work/version.txt" ] || fail "skerrow-cli --version printed nothing"

echo "<p>harbour</p>" > "$work/site/index.html"
echo "GIF89a" > "$work/site/img/logo.gif"
printf '[Configure]\r\nFTPURL=127.0.0.1\r\nPCDir=%s\r\nUploadAllFiles=1\r\n' "$work/site" > "$work/cfg/skerrow/skerrow.ini"
run "$root/usr/bin/skerrow-cli" find > "$work/find.txt" || { cat "$work/find.txt" >&2; fail "skerrow-cli find"; }
expect_line "$work/find.txt" "index.html"
expect_line "$work/find.txt" "/img/logo.gif"

# The window, in French: it prints where it looks and ends (it needs a display all the same).
display=()
[ -n "${DISPLAY:-}" ] || display=(xvfb-run -a -s "-screen 0 1024x768x24")
run DISPLAY="${DISPLAY:-}" XAUTHORITY="${XAUTHORITY:-}" LANG=fr_FR.UTF-8 "${display[@]}" \
    "$root/usr/bin/skerrow" --paths > "$work/paths.txt" 2> "$work/paths.err" ||
    { cat "$work/paths.txt" "$work/paths.err" >&2; fail "skerrow --paths"; }
expect_line "$work/paths.txt" "settings: $work/cfg/skerrow/skerrow.ini"
expect_line "$work/paths.txt" "saved list: $work/cfg/skerrow/skerrow.txt"
expect_line "$work/paths.txt" "catalog: $root/usr/share/skerrow/LangFRA.mo (loaded)"
expect_line "$work/paths.txt" "help: $root/usr/share/skerrow/skerrow_fr.htb (found)"

# Nothing was written beside the programs.
[ "$(ls -A "$root/usr/bin")" = $'skerrow\nskerrow-cli' ] || fail "files written beside the programs: $(ls -A "$root/usr/bin")"
echo "package test passed: $(basename "$deb")"
