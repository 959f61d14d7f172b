#!/bin/bash
# The Debian package: CPack builds it from the install rules, it holds what a desktop installation
# needs, depends on runtime packages only, names /usr in its default settings, and lintian finds no
# error in it.
#   deb_test.sh <build folder> <work folder>
set -u
BUILD=$1
WORK=$2
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

rm -rf "$WORK"
mkdir -p "$WORK"
cd "$WORK" || exit 1

echo "== cpack builds the package"
cpack --config "$BUILD/CPackConfig.cmake" -G DEB -B "$WORK" > cpack.log 2>&1 || { fail "cpack"; cat cpack.log; }
deb=
for f in "$WORK"/tandemix_*.deb; do [ -f "$f" ] && deb=$f; done
if [ -z "$deb" ]; then
  fail "no tandemix_*.deb"
  echo "0 passed, 1 failed"
  exit 1
fi

echo "== its files"
dpkg-deb -c "$deb" | awk '{ print $6 }' > files.txt
for f in ./usr/bin/tandemix ./usr/bin/tandemix-launch ./usr/share/applications/tandemix.desktop \
         ./usr/share/icons/hicolor/scalable/apps/tandemix.svg ./usr/share/icons/hicolor/48x48/apps/tandemix.png \
         ./usr/share/man/man1/tandemix.1.gz ./usr/share/tandemix/settings.ini \
         ./usr/share/tandemix/shaders/decoders/mono.hlsl ./usr/share/tandemix/shaders/encoders/mono.hlsl \
         ./usr/share/tandemix/stereo.mkv ./usr/share/doc/tandemix/copyright; do
  grep -qxF "$f" files.txt || fail "not in the package: $f"
done
dpkg-deb -x "$deb" root
grep -q '^decoder += "/usr/share/tandemix/shaders/decoders/' root/usr/share/tandemix/settings.ini ||
  fail "the default settings do not name /usr/share/tandemix: $(grep -m1 '^decoder' root/usr/share/tandemix/settings.ini)"
if grep -qF "_CPack_Packages" root/usr/share/tandemix/settings.ini; then
  fail "the default settings name the staging folder"
fi

echo "== its dependencies"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libqt6widgets6 libavcodec libavformat libswscale libc6; do
  case $depends in *"$lib"*) ;; *) fail "no dependency on $lib" ;; esac
done
case $depends in *-dev*) fail "a development package among the dependencies" ;; esac

echo "== lintian"
lintian --tag-display-limit 0 "$deb" > lintian.txt 2>&1
cat lintian.txt
if grep -q '^E: ' lintian.txt; then fail "lintian reports errors"; fi

if [ "$failures" -eq 0 ]; then
  echo "1 passed, 0 failed"
  exit 0
fi
echo "0 passed, 1 failed"
exit 1
