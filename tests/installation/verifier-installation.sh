#!/usr/bin/env bash
# Installs the build tree into a temporary prefix and checks what a user's machine would get.
# Usage: verifier-installation.sh BUILD_DIR
set -euo pipefail
build=$1
dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT
cmake --install "$build" --prefix "$dest/usr" > /dev/null
cd "$dest/usr"
id=io.github.vaskor.Vaskor
echec=0
manque() { echo "ÉCHEC : $*" >&2; echec=1; }

for f in bin/vaskor bin/vaskor-cli; do
  [ -f "$f" ] && [ "$(stat -c %a "$f")" = 755 ] || manque "$f absent ou pas en 755"
done
attendus=(share/applications/$id.desktop share/metainfo/$id.metainfo.xml
  share/icons/hicolor/scalable/apps/$id.svg share/man/man1/vaskor.1 share/man/man1/vaskor-cli.1
  share/vaskor/translations/qtbase_fr.qm)
for t in 16 22 24 32 48 64 128 256; do attendus+=("share/icons/hicolor/${t}x${t}/apps/$id.png"); done
for f in "${attendus[@]}"; do
  [ -f "$f" ] && [ "$(stat -c %a "$f")" = 644 ] || manque "$f absent ou pas en 644"
done
# Each PNG has the size of its folder.
for t in 16 22 24 32 48 64 128 256; do
  taille=$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print("%dx%d" % struct.unpack(">II", d[16:24]))' \
    "share/icons/hicolor/${t}x${t}/apps/$id.png")
  [ "$taille" = "${t}x${t}" ] || manque "icône ${t}x${t} : $taille"
done
grep -q '^Categories=Network;Email;$' share/applications/$id.desktop || manque "catégories"
grep -q '^Exec=vaskor$' share/applications/$id.desktop || manque "Exec"
grep -q '^GenericName\[fr\]=' share/applications/$id.desktop || manque "nom français"
desktop-file-validate share/applications/$id.desktop || manque "desktop-file-validate"
appstreamcli validate --no-net share/metainfo/$id.metainfo.xml > /dev/null || manque "appstreamcli validate"
for page in vaskor vaskor-cli; do
  avertissements=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l share/man/man1/$page.1 2>&1 > /dev/null)
  [ -z "$avertissements" ] || manque "man $page : $avertissements"
  LC_ALL=C.UTF-8 MANWIDTH=80 man -l share/man/man1/$page.1 2> /dev/null | grep -q "^NOM" || manque "man $page ne s'affiche pas"
done
# Nothing else: no header, no library, no test program.
autres=$(find . -type f | grep -v -e '^./bin/vaskor$' -e '^./bin/vaskor-cli$' -e '^./share/' || true)
[ -z "$autres" ] || manque "fichiers en trop : $autres"
# The installed program runs.
bin/vaskor-cli --help | grep -q '^Usage : vaskor-cli' || manque "vaskor-cli --help"
[ $echec = 0 ] && echo "installation complète dans $dest/usr"
exit $echec
