#!/usr/bin/env bash
# Drives the real window under Xvfb with a window manager, as a user would, and takes the
# screenshots of the dialogs for docs/: a filter and a friend made from listed messages, the
# filter manager and the three editors, the friends dialog with a vCard import, the five tabs of
# the options, the about box; then restarts Vaskor and checks that the filter marked its message
# at the next check on the local Dovecot, that the friend's message was accepted, and that the
# option changed in the options dialog survived the restart.
#
#   bash scripts/captures-dialogues.sh [BUILD_DIR]     (default: build)
#
# Run as root on Debian 12 (Dovecot lab). The display is $VASKOR_CAPTURE_DISPLAY (default :98).
set -euo pipefail
ICI="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ICI"
CONSTR="${1:-build}"
if [ ! -x "$CONSTR/src/app/vaskor" ]; then
  cmake -S . -B "$CONSTR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVASKOR_TESTS=OFF >/dev/null
  cmake --build "$CONSTR" -j2 --target vaskor vaskor-cli >/dev/null
fi
export DISPLAY="${VASKOR_CAPTURE_DISPLAY:-:98}"
export ASAN_OPTIONS=detect_leaks=0

TRAVAIL="$(mktemp -d /tmp/vaskor-dialogues.XXXXXX)"
chmod 755 "$TRAVAIL"
LAB="$TRAVAIL/lab"
PROG="$TRAVAIL/programme"
mkdir -p "$PROG" docs
XVFB_PID="" WM_PID="" VASKOR_PID=""
arreter() {
  [ -n "$VASKOR_PID" ] && kill "$VASKOR_PID" 2>/dev/null || true
  [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
  bash scripts/dovecot-lab.sh stop "$LAB" >/dev/null 2>&1 || true
  rm -rf "$TRAVAIL"
}
trap arreter EXIT

bash scripts/dovecot-lab.sh start "$LAB" >/dev/null
bash scripts/dovecot-lab.sh remplir "$LAB" anne 6 11 >/dev/null
# shellcheck disable=SC1091
. "$LAB/lab.env"

cp "$CONSTR/src/app/vaskor" "$PROG/vaskor"
printf '%s\n' "$DOVECOT_PASSWORD_anne" | "$CONSTR/src/app/vaskor-cli" accounts add --data "$PROG" \
  --description "Boîte d'Anne" --server "$DOVECOT_HOST" --port "$DOVECOT_PORT" --security none --user anne >/dev/null
python3 - "$PROG/comptes.dat" <<'PY'
import sys
p = sys.argv[1]; b = bytearray(open(p, "rb").read()); b[0] = 1; open(p, "wb").write(b)
PY
# Two filters already there, so that the manager shows rows in two tabs.
python3 - "$PROG/filtres.dat" <<'PY'
import struct, sys
def chaine(t):
    b = t.encode("cp1252")
    return bytes([len(b)]) + b + bytes(50 - len(b))
def filtre(genre, action, c1, v1, v2="", c2=0, compteur=0, num=0):
    return chaine(v1) + chaine(v2) + bytes(2) + struct.pack("<6i", genre, action, c1, c2, compteur, num) + bytes([1, 0]) + bytes(2)
open(sys.argv[1], "wb").write(filtre(1, 2, 5, "[Publicité]", compteur=3) + filtre(2, 1, 3, "X-Spam-Flag", "YES", num=0, compteur=1))
PY
printf '[G\xe9n\xe9ral]\r\nContr\xf4leAuto=1\r\nControlerAuLancement=1\r\nJouerSons=0\r\n[Filtrage]\r\nActionParD\xe9faut=1\r\n' > "$PROG/vaskor.ini"
cat > "$TRAVAIL/contacts.vcf" <<'VCF'
BEGIN:VCARD
VERSION:3.0
FN:Zoé Lefèvre
item1.EMAIL;type=INTERNET;type=pref:Zoe.Lefevre@Exemple.FR
END:VCARD
BEGIN:VCARD
VERSION:2.1
FN:Marc
EMAIL;PREF;INTERNET:marc@atelier.example
EMAIL;INTERNET:marc.perso@exemple.org
END:VCARD
VCF

Xvfb "$DISPLAY" -screen 0 1100x700x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
WM_PID=$!
sleep 1

lancer() {
  HOME="$TRAVAIL" XDG_RUNTIME_DIR="$TRAVAIL" XDG_CONFIG_HOME="$TRAVAIL/config" LANG=fr_FR.UTF-8 \
    QT_QPA_PLATFORM=xcb "$PROG/vaskor" >>"$TRAVAIL/vaskor.log" 2>&1 &
  VASKOR_PID=$!
  xdotool search --sync --name '^Vaskor$' >/dev/null
  sleep 5  # the start-up check
}
fenetre() { timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" | tail -1; }
# The window with its title bar: the window manager's frame around the client window.
capture() {
  local id cadre
  id="$(fenetre "$1")"
  sleep 0.6
  cadre="$(xwininfo -tree -id "$id" | awk '/Parent window id/ {print $4}')"
  [ "$cadre" = "" ] && cadre="$id"
  case "$2" in
    /*) import -window "$cadre" "$2" ;;
    *) import -window "$cadre" "docs/$2"; echo "docs/$2" ;;
  esac
}
touche() { xdotool key --clearmodifiers "$@"; sleep 0.5; }

lancer
capture Vaskor "$TRAVAIL/avant.png"
# First message: a sender filter made from it (a click on its row selects it).
xdotool mousemove --window "$(fenetre Vaskor)" 300 108 click 1
sleep 0.5
touche Insert
capture 'Nouveau filtre' dialogue-nouveau-filtre.png
touche Return
capture 'Ajouter un filtre Exp.*' dialogue-filtre-expediteur.png
touche Return
# The subject and header editors on the second message, cancelled.
touche Down
touche Insert; touche alt+s; touche Return
capture 'Ajouter un filtre Sujet' dialogue-filtre-sujet.png
touche Escape
touche Insert; touche alt+n; touche Return
capture 'Ajouter un filtre Ent.*' dialogue-filtre-entete.png
touche Escape
touche Up
touche ctrl+f
capture Filtres dialogue-filtres.png
touche Escape
# Second message: its sender becomes a friend.
touche Down
touche F5
touche Return
touche F6
capture Amis "$TRAVAIL/amis-avant.png"
touche alt+a
capture 'Ajouter un ami' dialogue-ami.png
touche Escape
touche alt+i
fenetre 'Importer des contacts' >/dev/null
sleep 0.5
xdotool type --delay 20 "$TRAVAIL/contacts.vcf"
touche Return
sleep 1
capture Amis dialogue-amis.png
touche Return
# The options: every tab, then "Aperçu" on a double click, kept with OK.
touche F12
for onglet in general messages filtres journal sons; do
  capture Options "dialogue-options-$onglet.png"
  touche ctrl+Tab
done
touche alt+a
touche Return
touche alt+a; touche a
capture 'A propos' dialogue-a-propos.png
touche Escape
# Quit (Ctrl+Q) and start again: the start-up check applies the new filter and friend.
touche ctrl+q
wait "$VASKOR_PID" 2>/dev/null || true
VASKOR_PID=""
lancer
capture Vaskor fenetre-apres-filtre.png
kill "$VASKOR_PID"; wait "$VASKOR_PID" 2>/dev/null || true; VASKOR_PID=""
python3 - "$PROG" <<'PY'
import struct, sys
d = sys.argv[1]
f = open(d + "/filtres.dat", "rb").read()
print("filtres:", len(f) // 132)
for i in range(0, len(f), 132):
    r = f[i:i + 132]
    print("  ", struct.unpack("<6i", r[104:128]), r[1:1 + r[0]].decode("cp1252"), "|", r[52:52 + r[51]].decode("cp1252"))
a = open(d + "/amis.dat", "rb").read()
print("amis:", [a[i + 9:i + 9 + a[i + 8]].decode("cp1252") for i in range(0, len(a), 60)])
ini = open(d + "/vaskor.ini", "rb").read().decode("cp1252")
print("DoubleClicEditer=1" in ini and "double-clic: aperçu gardé" or "double-clic NON gardé")
PY
