#!/usr/bin/env bash
# The Debian package as a user gets it: built by CPack, unpacked into a
# temporary root, its programs started from there, its files checked by the
# tools Debian checks them with.
# Usage: check_deb.sh BUILD-DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/out/quillon_*.deb) || fail "no package in $work/out"
root=$work/root
dpkg-deb -x "$deb" "$root"

# Dependencies: the detected libraries and what only runs at run time.
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libqt6network6 libqt6svg6 xdg-utils; do
  grep -q "$d" <<<"$depends" || fail "Depends lacks $d: $depends"
done

# The programs run from the unpacked tree with the library beside them,
# not the build tree's.
version=$(env -u LD_LIBRARY_PATH "$root/usr/bin/quillon-cli" version)
grep -q "^ProductName: Quillon$" <<<"$version" || fail "quillon-cli version printed: $version"
library=$(env -u LD_LIBRARY_PATH ldd "$root/usr/bin/quillon" | awk '/liborvabout/ {print $3}' | xargs -r realpath)
[[ "$library" == "$root"/usr/lib/*/quillon/liborvabout.so.0.* ]] || fail "quillon loads liborvabout from '$library'"

for f in usr/share/doc/quillon/help/index.html usr/share/doc/quillon/help/upload.html \
         usr/share/doc/quillon/copyright usr/share/icons/hicolor/scalable/apps/quillon.svg; do
  [ -s "$root/$f" ] || fail "missing $f"
done
desktop-file-validate "$root"/usr/share/applications/*.desktop || fail "desktop-file-validate"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml || fail "appstreamcli validate"

# The man pages render without a warning, and quillon-cli's names every
# command and option its --help names.
for page in quillon quillon-cli; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" 2>&1 >"$work/$page.txt")
  [ -z "$warnings" ] || fail "man $page: $warnings"
  lexgrog "$root/usr/share/man/man1/$page.1.gz" >/dev/null || fail "no whatis entry in $page.1"
done
words=$("$root/usr/bin/quillon-cli" --help | grep -oE -- '--[a-z-]+|^  [a-z-]+' | tr -d ' ' | sort -u)
[ -n "$words" ] || fail "quillon-cli --help names no command"
for word in $words; do
  grep -qF -- "$word" "$work/quillon-cli.txt" || fail "the man page lacks $word"
done

# Lintian: errors fail, the rest is shown.
lintian --tag-display-limit 0 -I --pedantic "$deb" 2>&1 | grep -v "root privileges" | tee "$work/lintian.txt" || true
! grep -q "^E:" "$work/lintian.txt" || fail "lintian reports errors"
echo "package ok: $(basename "$deb")"
