#!/usr/bin/env bash
# Builds the Debian package twice into a scratch folder and checks it: the same bytes both times,
# its control fields and file list laid out as Debian lays out games, all owned by root,
# dependencies on the runtime libraries the game calls only, a binary without build paths, a
# manual page groff renders without warnings, AppStream metadata that validates, and nothing
# Debian's package checker reports.
# Usage: check_package.sh BUILD_DIR CPACK OUTPUT_DIR
set -euo pipefail
build=$1 cpack=$2 out=$3
source=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$out"
mkdir -p "$out"
for run in first second; do
  (cd "$build" && "$cpack" -G DEB -B "$out/$run") >"$out/cpack.log" 2>&1 ||
    { cat "$out/cpack.log"; exit 1; }
done
deb=$(echo "$out"/first/velmora_*_"$(dpkg --print-architecture)".deb)
[ -f "$deb" ] || { echo "FAIL: not one .deb in $out/first"; ls "$out/first"; exit 1; }
failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}

cmp "$deb" "$out/second/$(basename "$deb")" || fail "two packages of the same tree differ"
[ "$(dpkg-deb -f "$deb" Package)" = velmora ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "section"

# The file list, written out here rather than read from the install rules.
expected=$(
  printf '%s\n' ./usr/games/velmora ./usr/libexec/velmora/velmora \
    ./usr/share/applications/velmora.desktop ./usr/share/icons/hicolor/128x128/apps/velmora.png \
    ./usr/share/metainfo/org.example.velmora.metainfo.xml ./usr/share/man/man6/velmora.6.gz \
    ./usr/share/doc/velmora/copyright ./usr/share/doc/velmora/changelog.gz \
    ./usr/share/lintian/overrides/velmora
  (cd "$build/run" && find . -type f ! -path ./velmora) | sed 's|^\./|./usr/share/games/velmora/|'
)
listing=$(dpkg-deb -c "$deb")
actual=$(awk '$1 !~ /^d/ {print $6}' <<<"$listing")
if ! diff <(sort <<<"$expected") <(sort <<<"$actual"); then
  fail "file list (< missing from the package, > not expected)"
fi
awk '$2 != "root/root" {print "FAIL: not owned by root: " $0; bad = 1} END {exit bad}' \
  <<<"$listing" || failed=1
grep -q '^-rwxr-xr-x .* \./usr/games/velmora$' <<<"$listing" || fail "launcher not executable"

# Every library the game links comes from its runtime package, no build package is named, and
# none that the game links without calling it (libGLX through OpenGL, libdraco through Assimp).
depends=$(dpkg-deb -f "$deb" Depends)
names=$(sed 's/ *([^)]*)//g; s/ *| */\n/g; s/, /\n/g' <<<"$depends")
for package in libc6 libstdc++6 libglfw3 libglew2.2 libassimp5 libfreeimage3 libopengl0 \
  libstb0; do
  grep -qxF "$package" <<<"$names" || fail "no dependency on $package: $depends"
done
if grep -Eq -- '-dev$|^cmake$|^g\+\+|gtest|^xvfb$|^xdotool$|^libglx0$|^libdraco' <<<"$names"; then
  fail "a build, test or unused package among the dependencies: $depends"
fi

tree=$out/tree
dpkg-deb -x "$deb" "$tree"
binary=$tree/usr/libexec/velmora/velmora
unused=$(ldd -u -r "$binary" 2>&1) || fail "linked without being used: $unused"
# Neither in the package nor in the debug information its build ID is computed from, so the
# package is the same bytes whichever folder it is built in.
if grep -aqF -e "$build" -e "$source" "$binary" "$build/run/velmora"; then
  fail "the binary holds a build path"
fi
for gz in "$tree"/usr/share/man/man6/velmora.6.gz "$tree"/usr/share/doc/velmora/changelog.gz; do
  if file -b "$gz" | grep -Eq 'was "|last modified'; then
    fail "${gz#"$tree"} keeps a file name or time stamp: $(file -b "$gz")"
  fi
done
warnings=$(zcat "$tree/usr/share/man/man6/velmora.6.gz" | groff -man -ww -z 2>&1)
[ -z "$warnings" ] || fail "manual page: $warnings"
appstreamcli validate --no-net --pedantic "$tree"/usr/share/metainfo/*.metainfo.xml \
  >"$out/appstream.log" 2>&1 || fail "AppStream metadata: $(cat "$out/appstream.log")"

# Debian's checker reports nothing at all, information and experimental tags included, but for
# unfortified functions: whether the compiler could fortify any call depends on the code, so that
# tag comes and goes with it although the build always fortifies.
lintian --pedantic --display-info --display-experimental --fail-on error,warning "$deb" \
  >"$out/lintian.log" 2>&1 || fail "lintian reports errors or warnings, or did not run"
grep -v 'root privileges' "$out/lintian.log" || true
if grep -E '^[A-Z]: ' "$out/lintian.log" | grep -Ev ': hardening-no-fortify-functions( |$)' |
  grep -q .; then
  fail "lintian reports the tags above"
fi
[ $failed -ne 0 ] ||
  echo "$(basename "$deb"): $(wc -l <<<"$actual") files, the same bytes twice; Depends: $depends"
exit $failed
