#!/usr/bin/env bash
# The Debian package as a user gets it: built from the source tree by
# dpkg-buildpackage, twice, to the same bytes; checked by lintian and
# hardening-check; unpacked into a temporary root, its programs started from
# there, its files checked by the tools Debian checks them with.
# Usage: check_deb.sh SOURCE-DIR
set -euo pipefail
source=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The tree as git has it, built at one fixed path, so the two builds differ
# only in time.
build_package() {
  local tree=$work/src/quillon out=$work/$1
  rm -rf "$work/src" && mkdir -p "$tree" "$out"
  if git -C "$source" rev-parse 2>/dev/null; then
    git -C "$source" ls-files -co --exclude-standard -z | (cd "$source" && tar --null -cf - -T -) | tar -xf - -C "$tree"
  else
    tar -C "$source" --exclude='./build*' --exclude='./obj-*' -cf - . | tar -xf - -C "$tree"
  fi
  (cd "$tree" && dpkg-buildpackage -us -uc -b) >"$out/build.log" 2>&1 || { tail -40 "$out/build.log"; fail "dpkg-buildpackage"; }
  mv "$work"/src/*.deb "$work"/src/*.changes "$work"/src/*.buildinfo "$out/"
}
build_package first
sleep 1
build_package second
for deb in "$work"/first/*.deb; do
  cmp -s "$deb" "$work/second/$(basename "$deb")" || fail "$(basename "$deb") differs between two builds"
done
deb=$(ls "$work"/first/quillon_*.deb) || fail "no package in $work/first"
ls "$work"/first/quillon-dbgsym_*.deb >/dev/null || fail "no -dbgsym package"

# The hardening reaches every compile and the linked files.
compiles=$(grep -E '^\[[0-9]+/[0-9]+\] /usr/bin/c\+\+ .* -c ' "$work/first/build.log" || true)
[ -n "$compiles" ] || fail "no compile line in the build log"
for flag in -D_FORTIFY_SOURCE=3 -fstack-protector-strong -fstack-clash-protection -O2; do
  unflagged=$(grep -cv -- " $flag " <<<"$compiles" || true)
  [ "$unflagged" = 0 ] || fail "$unflagged compile lines without $flag"
done
dpkg-deb -x "$deb" "$work/hardened"
for binary in "$work"/hardened/usr/bin/* "$work"/hardened/usr/lib/*/quillon/liborvabout.so.*.*; do
  # It fails for checks Debian 12 cannot pass (see debian/quillon.lintian-overrides).
  report=$(hardening-check "$binary" || true)
  for check in "Stack protected" "Read-only relocations" "Immediate binding"; do
    grep -q "^ $check: yes" <<<"$report" || fail "$binary: $report"
  done
  [[ "$binary" == *.so.* ]] || grep -q "^ Position Independent Executable: yes" <<<"$report" || fail "$binary: $report"
done

# Lintian, pedantic and with its notes: nothing but what the overrides explain.
lintian --pedantic -I --tag-display-limit 0 "$work"/first/*.changes >"$work/lintian.txt" 2>&1 || true
grep -E '^[EWIPX]: ' "$work/lintian.txt" && fail "lintian"
root=$work/root
dpkg-deb -x "$deb" "$root"

# Dependencies: the detected libraries and what only runs at run time.
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libqt6network6 libqt6svg6; do
  grep -q "$d" <<<"$depends" || fail "Depends lacks $d: $depends"
done
grep -q xdg-utils <<<"$(dpkg-deb -f "$deb" Recommends)" || fail "xdg-utils is not recommended"
grep -q xdg-utils <<<"$depends" && fail "xdg-utils is required: $depends"

# The programs run from the unpacked tree with the library beside them,
# not the build tree's.
version=$(env -u LD_LIBRARY_PATH "$root/usr/bin/quillon-cli" version)
grep -q "^ProductName: Quillon$" <<<"$version" || fail "quillon-cli version printed: $version"
library=$(env -u LD_LIBRARY_PATH ldd "$root/usr/bin/quillon" | awk '/liborvabout/ {print $3}' | xargs -r realpath)
[[ "$library" == "$root"/usr/lib/*/quillon/liborvabout.so.0.* ]] || fail "quillon loads liborvabout from '$library'"

for f in usr/share/doc/quillon/help/index.html usr/share/doc/quillon/help/upload.html \
         usr/share/doc/quillon/copyright usr/share/icons/hicolor/scalable/apps/quillon.svg usr/share/icons/hicolor/48x48/apps/quillon.png \
         usr/share/icons/hicolor/256x256/apps/quillon.png \
         usr/share/bash-completion/completions/quillon-cli usr/share/mime/packages/example.orv.quillon.xml; do
  [ -s "$root/$f" ] || fail "missing $f"
done
# The fleet example runs where it lies: uncompressed, its scripts executable.
fleet=$root/usr/share/doc/quillon/examples/fleet
[ -s "$fleet/flash.yml" ] && [ -s "$fleet/README.md" ] || fail "the fleet example is not installed uncompressed: $(ls "$fleet" 2>&1 | xargs)"
for f in flash-one summary.py; do [ -x "$fleet/$f" ] || fail "$fleet/$f is not an executable file"; done
usage=$("$fleet/flash-one" 2>&1 || true)
grep -q "^    flash-one FIRMWARE RECORDS NAME TARGET" <<<"$usage" || fail "the installed flash-one does not run: $usage"
# The JSON contract lies uncompressed beside the manual; the installed program keeps it.
schemas=$root/usr/share/doc/quillon/schemas
env -u LD_LIBRARY_PATH "$root/usr/bin/quillon-cli" --json version \
  | /usr/bin/python3 -m jsonschema --base-uri "file://$schemas/" "$schemas/version.schema.json" \
  || fail "quillon-cli --json version does not fit the installed schema"
desktop=$root/usr/share/applications/example.orv.quillon.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml || fail "appstreamcli validate"

# "Open with": the entry takes a file and names the types; Debian's MIME
# database learns the Intel-HEX type from the package's definition.
grep -qx 'Exec=quillon %f' "$desktop" || fail "desktop entry: Exec without %f"
grep -qx 'MimeType=text/x-ihex;' "$desktop" || fail "desktop entry: MimeType"
wmclass=$(sed -n 's/^StartupWMClass=//p' "$desktop")
[ "$wmclass" = quillon ] || fail "desktop entry: StartupWMClass '$wmclass'"
mkdir -p "$work/mime/packages"
cp /usr/share/mime/packages/freedesktop.org.xml "$root"/usr/share/mime/packages/*.xml "$work/mime/packages/"
update-mime-database "$work/mime" >/dev/null 2>&1 || fail "update-mime-database"
grep -qx 'text/x-ihex:\*.hex' "$work/mime/globs" || fail "*.hex is not text/x-ihex: $(grep -i hex "$work/mime/globs")"
# AppStream shows the screenshots of docs/.
for shot in $(grep -o '<image[^>]*>[^<]*' "$root"/usr/share/metainfo/*.metainfo.xml | sed 's|.*/||'); do
  [ -f "$(dirname "$0")/../../docs/$shot" ] || fail "AppStream names $shot, which docs/ lacks"
done
grep -q '<screenshot type="default">' "$root"/usr/share/metainfo/*.metainfo.xml || fail "AppStream: no screenshot"

# The package manager updates the program: no installer is downloaded.
text=$(env -u LD_LIBRARY_PATH "$root/usr/bin/quillon-cli" check-update --url http://127.0.0.1:9 --download "$work" 2>&1) && fail "check-update --download: $text"
grep -q "Paketverwaltung" <<<"$text" || fail "check-update --download printed: $text"

# --help and --version of both programs answer without a display.
for program in quillon quillon-cli; do
  for option in --version -V --help; do
    text=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u LD_LIBRARY_PATH "$root/usr/bin/$program" $option 2>&1) \
      || fail "$program $option: $text"
    case $option in
      --help) grep -q "^Aufruf: $program" <<<"$text" || fail "$program --help printed: $text" ;;
      # The version first, as scripts read it; the copyright after it.
      *) [ "$(head -n 1 <<<"$text")" = "$program $(sed -n 's/^FileVersion: //p' <<<"$version")" ] || fail "$program $option printed: $text"
         [ "$program" = quillon ] || grep -q "^Copyright © " <<<"$text" || fail "$program $option names no copyright: $text" ;;
    esac
  done
done

# The man pages render without a warning, and quillon-cli's names every
# command and option its --help names.
# German pages in man/de, English ones in man; each dated, and quillon-cli's
# names every exit code, command and option its --help names.
for dir in de/man1 man1; do
  for page in quillon quillon-cli; do
    file=$root/usr/share/man/$dir/$page.1.gz
    text=$work/${dir%%/*}-$page.txt
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$file" 2>&1 >"$text")
    [ -z "$warnings" ] || fail "man $dir/$page: $warnings"
    lexgrog "$file" >/dev/null || fail "no whatis entry in $dir/$page.1"
    zcat "$file" | grep -qE '^\.TH [^ ]+ 1 "[0-9]{4}-[0-9]{2}-[0-9]{2}"' || fail "$dir/$page.1 has no date"
  done
done
words=$("$root/usr/bin/quillon-cli" --help | grep -oE -- '--[a-z-]+|^  [a-z-]+' | tr -d ' ' | sort -u)
[ -n "$words" ] || fail "quillon-cli --help names no command"
for text in "$work/de-quillon-cli.txt" "$work/man1-quillon-cli.txt"; do
  for word in $words ORV_UPDATE_URL QUILLON_PASSWORD; do
    grep -qF -- "$word" "$text" || fail "$(basename "$text") lacks $word"
  done
  grep -qE '^ +10( |$)' "$text" || fail "$(basename "$text") lacks exit code 10"
  grep -qE '^(BEISPIELE|EXAMPLES)$' "$text" || fail "$(basename "$text") has no examples"
done

# The bash completion offers every command --help names, and after each
# command every option its --help and the program's --help name.
completion=$root/usr/share/bash-completion/completions/quillon-cli
offered() {
  bash -c 'source "$1" && shift && COMP_WORDS=("$@") && COMP_CWORD=$(($# - 1)) && _quillon_cli && printf "%s\n" "${COMPREPLY[@]}"' \
    _ "$completion" quillon-cli "$@" | sort -u
}
named_options() { "$root/usr/bin/quillon-cli" "$@" --help | { grep -oE -- '^  --[a-z0-9-]+' || true; } | tr -d ' ' | sort -u; }
commands=$("$root/usr/bin/quillon-cli" --help | sed -n '/^Befehle:/,/^$/p' | grep -oE '^  [a-z-]+' | tr -d ' ' | sort -u)
[ -n "$commands" ] || fail "quillon-cli --help names no command"
[ "$(offered "")" = "$commands" ] || fail "completion offers commands '$(offered "" | xargs)', --help names '$(xargs <<<"$commands")'"
[ "$(offered --)" = "$(named_options)" ] || fail "completion offers options '$(offered -- | xargs)'"
for command in $commands; do
  expected=$( (named_options; named_options "$command") | sort -u)
  [ "$(offered "$command" --)" = "$expected" ] || fail "completion after $command offers '$(offered "$command" -- | xargs)'"
done

# Installed as root (by dpkg, into a root and a database of its own), started
# without --settings and closed as a user closes it: the program ends, its
# settings go to the user's configuration folder, and no file appears beside
# it; purging leaves none behind. Its settings say TCP to a listener on
# 127.0.0.1, so no serial port is touched and no connect-error box is up when
# the close comes (a modal box holds the close back, as it should). The
# window's class is the desktop entry's StartupWMClass.
inst=$work/inst
mkdir -p "$inst/var/lib/dpkg/info" "$inst/var/lib/dpkg/updates"
touch "$inst/var/lib/dpkg/status"
dpkg_private() { dpkg --instdir="$inst" --admindir="$inst/var/lib/dpkg" --force-depends "$@" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg $*"; }; }
dpkg_private -i "$deb"
programs=$(ls -A "$inst/usr/bin")
home=$work/home
settings=$home/.config/quillon/quillon.INI
mkdir -p "$(dirname "$settings")"
exec {listener}< <(exec python3 -c '
import socket
s = socket.create_server(("127.0.0.1", 0))
s.settimeout(60)
print(s.getsockname()[1], flush=True)
c, _ = s.accept()
c.settimeout(60)
while c.recv(256):
    pass' 2>/dev/null)
read -r -t 10 port <&"$listener" || fail "no listener for the window"
printf '[Connection]\nEthernet=1\nIP=127.0.0.1\nPort=%s\n' "$port" >"$settings"
[ "$(id -u)" -eq 0 ] || echo "note: not root, the program runs as $(id -un)"
env -u LD_LIBRARY_PATH -u XDG_CONFIG_HOME -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" \
  xvfb-run -a -s "-nolisten tcp" bash -c '
    cd / && "$1" & pid=$!
    "$2" "Quillon - "
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid" 2>/dev/null && { echo "still running 10 s after the close"; kill "$pid"; }
    wait "$pid"; echo "exit $?"' _ "$inst/usr/bin/quillon" "$(dirname "$0")/closewindow.py" >"$work/window.txt" 2>"$work/quillon.log" || true
[ "$(cat "$work/window.txt")" = "quillon $wmclass
exit 0" ] || fail "window class and end: $(cat "$work/window.txt" "$work/quillon.log")"
grep -q '^\[Code\]' "$settings" || fail "the exit did not write $settings: $(cat "$settings")"
[ "$(ls -A "$inst/usr/bin")" = "$programs" ] || fail "running quillon left $(ls -A "$inst/usr/bin" | xargs) in /usr/bin"
dpkg_private --purge quillon
[ -z "$(ls -A "$inst/usr/bin" 2>/dev/null)" ] || fail "purge left $(ls -A "$inst/usr/bin" | xargs) in /usr/bin"

# Lintian: errors and warnings fail, the rest is shown.
lintian --tag-display-limit 0 -I --pedantic "$deb" 2>&1 | grep -v "root privileges" | tee "$work/lintian.txt" || true
! grep -q "^[EW]:" "$work/lintian.txt" || fail "lintian reports errors or warnings"
echo "package ok: $(basename "$deb")"
