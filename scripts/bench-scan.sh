#!/usr/bin/env bash
# Times `vaskor-cli scan` over a local Dovecot mailbox of 5,000 generated messages, beside a bare
# sequential TOP n 0 + LIST n loop (scripts/boucle-pop3-nue.c) over the same mailbox in the same
# run. The scan should cost no more than the protocol itself.
#
#   bash scripts/bench-scan.sh [COUNT [ROUNDS]]      (defaults: 5000 messages, 5 rounds)
#
# Builds a release vaskor-cli without sanitizers in build-bench, starts its own Dovecot there
# (scripts/dovecot-lab.sh, needs root) and stops it on exit, whatever happens.
set -euo pipefail
cd "$(dirname "$0")/.."
RACINE="$PWD"
NOMBRE="${1:-5000}"
TOURS="${2:-5}"
BUILD="$RACINE/build-bench"
LAB="$BUILD/dovecot-lab"
USER_BENCH=david

mkdir -p "$BUILD"
if ! { cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DVASKOR_SANITIZE=OFF -DVASKOR_TESTS=OFF \
  -DVASKOR_GUI=OFF && cmake --build "$BUILD" -j"$(nproc)" --target vaskor-cli; } >"$BUILD/build.log" 2>&1; then
  tail -n 40 "$BUILD/build.log" >&2
  exit 1
fi
CLI="$BUILD/src/app/vaskor-cli"
NUE="$BUILD/boucle-pop3-nue"
cc -O2 -o "$NUE" scripts/boucle-pop3-nue.c

trap 'bash "$RACINE/scripts/dovecot-lab.sh" stop "$LAB"' EXIT
bash scripts/dovecot-lab.sh start "$LAB" >/dev/null
# shellcheck disable=SC1091
source "$LAB/lab.env"
bash scripts/dovecot-lab.sh remplir "$LAB" "$USER_BENCH" "$NOMBRE" 5000
var="DOVECOT_PASSWORD_$USER_BENCH"
MOT="${!var}"

# Runs "$@" with the password on stdin and prints "wall-ms cpu-ms" (the client's own user +
# system time: on a busy machine the wall time moves with the load, the client's CPU time does not).
chrono() {
  local TIMEFORMAT='%3R %3U %3S' mesure
  mesure=$({ time "$@" <<<"$MOT" >"$BUILD/bench-sortie.txt" 2>"$BUILD/bench-erreurs.txt"; } 2>&1) || {
    echo "bench-scan: $1 failed:" >&2
    cat "$BUILD/bench-erreurs.txt" >&2
    return 1
  }
  awk '{ printf "%d %d\n", $1 * 1000, ($2 + $3) * 1000 }' <<<"$mesure"
}

nue=("$NUE" "$DOVECOT_HOST" "$DOVECOT_PORT" "$USER_BENCH")
scan=("$CLI" scan --host "$DOVECOT_HOST" --port "$DOVECOT_PORT" --user "$USER_BENCH")

# The first session builds Dovecot's index of the new mailbox: keep it out of the figures.
chrono "${nue[@]}" >/dev/null
chrono "${scan[@]}" >/dev/null
lignes=$(wc -l <"$BUILD/bench-sortie.txt")
if [[ $lignes -ne $((NOMBRE + 1)) ]]; then
  echo "bench-scan: the scan printed $lignes lines for $NOMBRE messages" >&2
  exit 1
fi

mediane() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
mur_nue=() cpu_nue=() mur_scan=() cpu_scan=()
for ((i = 0; i < TOURS; i++)); do
  read -r m c < <(chrono "${nue[@]}")
  mur_nue+=("$m") cpu_nue+=("$c")
  read -r m c < <(chrono "${scan[@]}")
  mur_scan+=("$m") cpu_scan+=("$c")
done
med() { printf '%s\n' "$@" | mediane; }

total=$(head -n 1 "$BUILD/bench-sortie.txt" | cut -f 2)
echo "Mailbox: $NOMBRE messages, $total bytes, Dovecot $(dovecot --version | cut -d' ' -f1) on 127.0.0.1," \
  "$(nproc) CPUs, load $(cut -d' ' -f1 /proc/loadavg)"
echo "Median of $TOURS rounds, one connection each (wall ms / client CPU ms):"
printf '  bare TOP n 0 + LIST n loop: %6d / %4d   (wall: %s)\n' "$(med "${mur_nue[@]}")" "$(med "${cpu_nue[@]}")" "${mur_nue[*]}"
printf '  vaskor-cli scan:            %6d / %4d   (wall: %s)\n' "$(med "${mur_scan[@]}")" "$(med "${cpu_scan[@]}")" "${mur_scan[*]}"
