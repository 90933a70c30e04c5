#!/usr/bin/env bash
# Builds the .deb from the build tree and checks its contents and dependencies.
# Usage: verifier-deb.sh BUILD_DIR
set -euo pipefail
build=$1
sortie=$(mktemp -d)
trap 'rm -rf "$sortie"' EXIT
(cd "$build" && cpack -G DEB -B "$sortie" > "$sortie/cpack.log") || { cat "$sortie/cpack.log" >&2; exit 1; }
deb=$(ls "$sortie"/vaskor_*.deb)
echo "$deb"
dpkg-deb -c "$deb"
dpkg-deb -f "$deb" Package Version Architecture Section Depends
contenu=$(dpkg-deb -c "$deb" | awk '{print $6}')
echec=0
for f in ./usr/bin/vaskor ./usr/bin/vaskor-cli ./usr/share/applications/io.github.vaskor.Vaskor.desktop \
  ./usr/share/metainfo/io.github.vaskor.Vaskor.metainfo.xml ./usr/share/man/man1/vaskor-cli.1 \
  ./usr/share/icons/hicolor/48x48/apps/io.github.vaskor.Vaskor.png; do
  grep -qx -- "$f" <<< "$contenu" || { echo "ÉCHEC : $f absent du paquet" >&2; echec=1; }
done
# The dependencies come from dpkg-shlibdeps: the Qt libraries the programs link.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6network6 libqt6multimedia6 libcrypto++8; do
  grep -q "$lib" <<< "$depends" || { echo "ÉCHEC : $lib manque dans Depends : $depends" >&2; echec=1; }
done
exit $echec
