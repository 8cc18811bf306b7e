#!/usr/bin/env bash
# Builds the Debian package into a scratch folder and checks its control fields and file list:
# the launcher, the binary, the desktop entry, the icon and every data file of the run folder,
# all owned by root, and dependencies on the runtime libraries only.
# Usage: check_package.sh BUILD_DIR CPACK OUTPUT_DIR
set -euo pipefail
build=$1 cpack=$2 out=$3
rm -rf "$out"
mkdir -p "$out"
if ! (cd "$build" && "$cpack" -G DEB -B "$out") >"$out/cpack.log" 2>&1; then
  cat "$out/cpack.log"
  exit 1
fi
debs=("$out"/velmora_*_"$(dpkg --print-architecture)".deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
  echo "FAIL: not one .deb in $out"
  ls "$out"
  exit 1
fi
deb=${debs[0]}
failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}

[ "$(dpkg-deb -f "$deb" Package)" = velmora ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "section"

# The file list, written out here rather than read from the install rules.
expected=$(
  printf '%s\n' ./usr/bin/velmora ./usr/lib/velmora/velmora \
    ./usr/share/applications/velmora.desktop ./usr/share/icons/hicolor/128x128/apps/velmora.png
  (cd "$build/run" && find . -type f ! -path ./velmora) | sed 's|^\./|./usr/share/velmora/|'
)
listing=$(dpkg-deb -c "$deb")
actual=$(awk '$1 !~ /^d/ {print $6}' <<<"$listing")
if ! diff <(sort <<<"$expected") <(sort <<<"$actual"); then
  fail "file list (< missing from the package, > not expected)"
fi
awk '$2 != "root/root" {print "FAIL: not owned by root: " $0; bad = 1} END {exit bad}' \
  <<<"$listing" || failed=1
grep -q '^-rwxr-xr-x .* \./usr/bin/velmora$' <<<"$listing" || fail "launcher not executable"

# Every library the game links comes from its runtime package, and no build package is named.
depends=$(dpkg-deb -f "$deb" Depends)
names=$(sed 's/ *([^)]*)//g; s/ *| */\n/g; s/, /\n/g' <<<"$depends")
for package in libc6 libstdc++6 libglfw3 libglew2.2 libassimp5 libfreeimage3; do
  grep -qxF "$package" <<<"$names" || fail "no dependency on $package: $depends"
done
if grep -Eq -- '-dev$|^cmake$|^g\+\+|gtest|^xvfb$|^xdotool$' <<<"$names"; then
  fail "a build or test package among the dependencies: $depends"
fi
if [ $failed -eq 0 ]; then
  echo "$(basename "$deb"): $(wc -l <<<"$actual") files; Depends: $depends"
fi
exit $failed
