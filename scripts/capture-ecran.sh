#!/usr/bin/env bash
# Takes the README's screenshot: the main window under Xvfb after a check of a mailbox of the
# local Dovecot lab, with a marked (struck-out) row. Writes docs/fenetre-principale.png.
# Run as root on Debian 12 (it installs Xvfb, ImageMagick and fonts when missing).
set -euo pipefail
ICI="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ICI"
bash scripts/installer-dependances.sh
manquants=()
for p in imagemagick fonts-dejavu-core x11-utils; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || manquants+=("$p")
done
if ((${#manquants[@]})); then
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${manquants[@]}"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVASKOR_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)" --target vaskor vaskor-cli >/dev/null

TRAVAIL="$(mktemp -d /tmp/vaskor-capture.XXXXXX)"
chmod 755 "$TRAVAIL"
LAB="$TRAVAIL/lab"
PROG="$TRAVAIL/programme"
mkdir -p "$PROG"
XVFB_PID=""
VASKOR_PID=""
arreter() {
  [ -n "$VASKOR_PID" ] && kill "$VASKOR_PID" 2>/dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
  bash scripts/dovecot-lab.sh stop "$LAB" >/dev/null 2>&1 || true
  rm -rf "$TRAVAIL"
}
trap arreter EXIT

bash scripts/dovecot-lab.sh start "$LAB" >/dev/null
bash scripts/dovecot-lab.sh remplir "$LAB" anne 14 5 >/dev/null
# shellcheck disable=SC1091
. "$LAB/lab.env"

# The program folder is the executable's folder: a copy of vaskor with its data files beside it.
cp build/src/app/vaskor "$PROG/vaskor"
printf '%s\n' "$DOVECOT_PASSWORD_anne" | build/src/app/vaskor-cli accounts add --data "$PROG" \
  --description "Boîte d'Anne" --server "$DOVECOT_HOST" --port "$DOVECOT_PORT" --user anne --security none >/dev/null
# A subject filter that marks replies ("Re:"), written from the 132-byte record layout.
python3 - "$PROG/filtres.dat" <<'PY'
import struct, sys
def chaine(t):
    b = t.encode("cp1252")
    return bytes([len(b)]) + b + bytes(50 - len(b))
rec = chaine("Re:") + chaine("") + bytes(2) + struct.pack("<6i", 1, 1, 5, 0, 0, 0) + bytes([1, 0]) + bytes(2)
assert len(rec) == 132
open(sys.argv[1], "wb").write(rec)
PY
# Check at start-up, so the window shows the rows without a click.
printf '[G\xe9n\xe9ral]\r\nContr\xf4leAuto=1\r\nControlerAuLancement=1\r\nJouerSons=0\r\n' > "$PROG/vaskor.ini"
python3 - "$PROG/comptes.dat" <<'PY'
import sys
p = sys.argv[1]; b = bytearray(open(p, "rb").read()); b[0] = 1; open(p, "wb").write(b)
PY

export DISPLAY=:97
Xvfb "$DISPLAY" -screen 0 1100x620x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
export LANG=fr_FR.UTF-8 LC_ALL=
HOME="$TRAVAIL" XDG_RUNTIME_DIR="$TRAVAIL" QT_QPA_PLATFORM=xcb "$PROG/vaskor" >"$TRAVAIL/vaskor.log" 2>&1 &
VASKOR_PID=$!
# Wait for the check to end: the window's title appears, then the rows come in.
for _ in $(seq 100); do xwininfo -name Vaskor >/dev/null 2>&1 && break; sleep 0.1; done
sleep 4
mkdir -p docs
import -window "$(xwininfo -name Vaskor | awk '/Window id/ {print $4}')" docs/fenetre-principale.png
echo "docs/fenetre-principale.png written"
