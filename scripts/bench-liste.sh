#!/usr/bin/env bash
# What a user of a big message list waits for, measured on a release build:
#   - every column of a list of COUNT generated rows sorted both ways, and the heap each row costs
#     beyond its header text (benchmarks/bench_liste.cpp, offscreen);
#   - a check of a local Dovecot mailbox of COUNT generated messages in the real window (under an
#     X server of its own), against `vaskor-cli check` on the same mailbox, rounds interleaved,
#     medians: CPU, wall time, the longest stretch without processed events, memory, then the
#     sorts of those rows;
#   - the same check through a relay adding a 300 ms round trip (a slow server: every reply is a
#     long wait), over a small mailbox, for the stretches without events;
#   - the start of the program to its window painted, with an empty data folder and with 10,000
#     friends and 1,000 filters; and the real `vaskor` to its window mapped.
#
#   bash scripts/bench-liste.sh [COUNT [ROUNDS]]      (defaults: 50000, 3)
#
# Builds vaskor, vaskor-cli and bench_liste (RelWithDebInfo, no sanitizers) in build-rel, starts
# its own Dovecot there (scripts/dovecot-lab.sh, needs root) and its own Xvfb, and stops both by
# their PIDs on exit, whatever happens. Set AFFICHAGE=:N to use a running X server instead.
set -euo pipefail
cd "$(dirname "$0")/.."
RACINE="$PWD"
NOMBRE="${1:-50000}"
TOURS="${2:-3}"
BUILD="$RACINE/build-rel"
LAB="$BUILD/dovecot-lab-liste"
TRAVAIL="$BUILD/bench-liste"
USER_BENCH=david
USER_LOIN=emile

mkdir -p "$BUILD"
if ! { cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVASKOR_SANITIZE=OFF -DVASKOR_TESTS=OFF &&
  nice -n 10 cmake --build "$BUILD" -j2 --target vaskor vaskor-cli bench_liste; } >"$BUILD/build-liste.log" 2>&1; then
  tail -n 40 "$BUILD/build-liste.log" >&2
  exit 1
fi
CLI="$BUILD/src/app/vaskor-cli"
GUI="$BUILD/src/app/vaskor"
BENCH="$BUILD/benchmarks/bench_liste"
[[ -x $GUI ]] || GUI=$(find "$BUILD/src/app" -name vaskor -type f -perm -u+x | head -n 1)

PIDS=()
arreter() {
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
  bash "$RACINE/scripts/dovecot-lab.sh" stop "$LAB" >/dev/null 2>&1 || true
}
trap arreter EXIT

echo "Machine: $(nproc) CPUs, load $(cut -d' ' -f1 /proc/loadavg)"
echo "== Generated list of $NOMBRE rows (offscreen) =="
QT_QPA_PLATFORM=offscreen "$BENCH" tri "$NOMBRE"

if [[ -z ${AFFICHAGE:-} ]]; then
  n=150
  while [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  PIDS+=("$!")
  for _ in $(seq 100); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.05; done
  AFFICHAGE=":$n"
fi
export DISPLAY="$AFFICHAGE"
unset QT_QPA_PLATFORM

rm -rf "$TRAVAIL"
mkdir -p "$TRAVAIL"
bash scripts/dovecot-lab.sh start "$LAB" >/dev/null
# shellcheck disable=SC1091
source "$LAB/lab.env"
bash scripts/dovecot-lab.sh remplir "$LAB" "$USER_BENCH" "$NOMBRE" 5000
bash scripts/dovecot-lab.sh remplir "$LAB" "$USER_LOIN" 100 5000
var="DOVECOT_PASSWORD_$USER_BENCH"
MOT="${!var}"
var="DOVECOT_PASSWORD_$USER_LOIN"
MOT_LOIN="${!var}"

# A data folder holding one account: dossier DIR HOST PORT USER PASSWORD
dossier() {
  mkdir -p "$1"
  "$CLI" accounts add --description Lab --server "$2" --port "$3" --user "$4" --security none --data "$1" \
    <<<"$5" >/dev/null
}
dossier "$TRAVAIL/donnees" "$DOVECOT_HOST" "$DOVECOT_PORT" "$USER_BENCH" "$MOT"

# "wall-ms cpu-ms" of a command (the process's own user + system time).
chrono() {
  local TIMEFORMAT='%3R %3U %3S' mesure
  mesure=$({ time "$@" >"$TRAVAIL/sortie.txt" 2>"$TRAVAIL/erreurs.txt"; } 2>&1) || {
    echo "bench-liste: $1 failed:" >&2
    cat "$TRAVAIL/erreurs.txt" >&2
    return 1
  }
  awk '{ printf "%d %d\n", $1 * 1000, ($2 + $3) * 1000 }' <<<"$mesure"
}
mediane() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# The first session builds Dovecot's index of the new mailbox: keep it out of the figures.
chrono "$CLI" check --data "$TRAVAIL/donnees" >/dev/null
lignes=$(wc -l <"$TRAVAIL/sortie.txt")
echo "== Check of $NOMBRE messages (Dovecot $(dovecot --version | cut -d' ' -f1), 127.0.0.1), $TOURS rounds =="
echo "   vaskor-cli check printed $lignes lines"
cli_mur=() cli_cpu=() fen_mur=() fen_cpu=()
for ((t = 0; t < TOURS; t++)); do
  read -r m c < <(chrono "$CLI" check --data "$TRAVAIL/donnees")
  cli_mur+=("$m") cli_cpu+=("$c")
  read -r m c < <(chrono "$BENCH" controle "$TRAVAIL/donnees")
  fen_mur+=("$m") fen_cpu+=("$c")
  sed 's/^/   round '"$((t + 1))"': /' "$TRAVAIL/sortie.txt"
done
mc=$(printf '%s\n' "${cli_cpu[@]}" | mediane)
mf=$(printf '%s\n' "${fen_cpu[@]}" | mediane)
printf '   vaskor-cli check: median %d ms wall, %d ms CPU (CPU: %s)\n' \
  "$(printf '%s\n' "${cli_mur[@]}" | mediane)" "$mc" "${cli_cpu[*]}"
printf '   window (bench_liste controle, whole process): median %d ms wall, %d ms CPU (CPU: %s)\n' \
  "$(printf '%s\n' "${fen_mur[@]}" | mediane)" "$mf" "${fen_cpu[*]}"
awk -v f="$mf" -v c="$mc" 'BEGIN { printf "   window / CLI CPU: %.2f\n", (c > 0 ? f / c : 0) }'

port_libre() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
p=$(port_libre)
python3 scripts/proxy-delai.py --ecoute "$p" --vers "$DOVECOT_HOST:$DOVECOT_PORT" --rtt 300 >"$TRAVAIL/relais.txt" &
PIDS+=("$!")
for _ in $(seq 50); do grep -q pret "$TRAVAIL/relais.txt" 2>/dev/null && break; sleep 0.1; done
dossier "$TRAVAIL/loin" 127.0.0.1 "$p" "$USER_LOIN" "$MOT_LOIN"
echo "== Check of 100 messages through a relay adding a 300 ms round trip =="
"$BENCH" controle "$TRAVAIL/loin" 2>/dev/null | grep -v '^tri' | sed 's/^/   /'

echo "== Start-up to the list painted (bench_liste demarrage, median of 5) =="
mkdir -p "$TRAVAIL/vide" "$TRAVAIL/gros"
"$BENCH" donnees "$TRAVAIL/gros" 10000 1000
for d in vide gros; do
  v=()
  for _ in 1 2 3 4 5; do
    v+=("$("$BENCH" demarrage "$TRAVAIL/$d" 2>/dev/null | sed -n 's/.*liste peinte a \([0-9]*\) ms.*/\1/p')")
  done
  printf '   %-4s data folder: median %s ms after main (%s)\n' "$d" "$(printf '%s\n' "${v[@]}" | mediane)" "${v[*]}"
done

echo "== The real vaskor, launch to its window mapped (xdotool, polled every 10 ms) =="
for d in vide gros; do
  v=()
  for _ in 1 2 3; do
    maison="$TRAVAIL/maison-$d"
    rm -rf "$maison"
    mkdir -p "$maison/.local/share" "$maison/run"
    chmod 700 "$maison/run"
    cp -r "$TRAVAIL/$d" "$maison/.local/share/vaskor"
    debut=$(date +%s%N)
    HOME="$maison" XDG_CONFIG_HOME="$maison/.config" XDG_DATA_HOME="$maison/.local/share" \
      XDG_RUNTIME_DIR="$maison/run" "$GUI" &
    pid=$!
    while ! xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; do
      sleep 0.01
      if (($(date +%s%N) - debut > 10000000000)); then break; fi
    done
    v+=($((($(date +%s%N) - debut) / 1000000)))
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  printf '   %-4s data folder: median %s ms (%s)\n' "$d" "$(printf '%s\n' "${v[@]}" | mediane)" "${v[*]}"
done
