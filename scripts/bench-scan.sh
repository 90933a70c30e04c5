#!/usr/bin/env bash
# Times `vaskor-cli scan` over a local Dovecot mailbox of 5,000 generated messages, beside a bare
# TOP n 0 + LIST n loop (scripts/boucle-pop3-nue.c), sequential and pipelined, over the same
# mailbox in the same run, rounds interleaved, medians. Then the same three through a relay that
# adds a 20 ms and a 50 ms round trip (scripts/proxy-delai.py), over a smaller mailbox of the same
# generator (a sequential pass there takes two round trips per message), and through a relay that
# writes each reply's status and block apart under Nagle without offering CAPA, where a client
# without quick acknowledgements waits about 40 ms per reply. Last, the deletion of every row of
# that smaller mailbox at a 20 ms round trip (benchmarks/bench_suppression.cpp), one command at a
# time and pipelined, the mailbox filled again before each round.
#
#   bash scripts/bench-scan.sh [COUNT [ROUNDS [COUNT_DISTANT]]]   (defaults: 5000, 5, 200)
#
# Builds a release vaskor-cli without sanitizers in build-bench, starts its own Dovecot there
# (scripts/dovecot-lab.sh, needs root) and stops it on exit, whatever happens.
set -euo pipefail
cd "$(dirname "$0")/.."
RACINE="$PWD"
NOMBRE="${1:-5000}"
TOURS="${2:-5}"
DISTANT="${3:-200}"
BUILD="$RACINE/build-bench"
LAB="$BUILD/dovecot-lab"
USER_BENCH=david

mkdir -p "$BUILD"
if ! { cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DVASKOR_SANITIZE=OFF -DVASKOR_TESTS=OFF \
  -DVASKOR_GUI=OFF && cmake --build "$BUILD" -j"$(nproc)" --target vaskor-cli bench_suppression; } >"$BUILD/build.log" 2>&1; then
  tail -n 40 "$BUILD/build.log" >&2
  exit 1
fi
CLI="$BUILD/src/app/vaskor-cli"
SUPPRESSION="$BUILD/benchmarks/bench_suppression"
NUE="$BUILD/boucle-pop3-nue"
cc -O2 -o "$NUE" scripts/boucle-pop3-nue.c

RELAIS=()
arreter() {
  for p in "${RELAIS[@]}"; do kill "$p" 2>/dev/null || true; done
  bash "$RACINE/scripts/dovecot-lab.sh" stop "$LAB"
}
trap arreter EXIT
bash scripts/dovecot-lab.sh start "$LAB" >/dev/null
# shellcheck disable=SC1091
source "$LAB/lab.env"
bash scripts/dovecot-lab.sh remplir "$LAB" "$USER_BENCH" "$NOMBRE" 5000
USER_LOIN=emile
bash scripts/dovecot-lab.sh remplir "$LAB" "$USER_LOIN" "$DISTANT" 5000
var="DOVECOT_PASSWORD_$USER_BENCH"
MOT="${!var}"
var="DOVECOT_PASSWORD_$USER_LOIN"
MOT_LOIN="${!var}"

# Runs "$@" with the password on stdin and prints "wall-ms cpu-ms" (the client's own user +
# system time: on a busy machine the wall time moves with the load, the client's CPU time does not).
chrono() {
  local TIMEFORMAT='%3R %3U %3S' mesure
  mesure=$({ time "$@" <<<"${MOT_CHRONO:-$MOT}" >"$BUILD/bench-sortie.txt" 2>"$BUILD/bench-erreurs.txt"; } 2>&1) || {
    echo "bench-scan: $1 failed:" >&2
    cat "$BUILD/bench-erreurs.txt" >&2
    return 1
  }
  awk '{ printf "%d %d\n", $1 * 1000, ($2 + $3) * 1000 }' <<<"$mesure"
}

nue=("$NUE" -q "$DOVECOT_HOST" "$DOVECOT_PORT" "$USER_BENCH")
nuep=("$NUE" -q -p "$DOVECOT_HOST" "$DOVECOT_PORT" "$USER_BENCH")
scan=("$CLI" scan --host "$DOVECOT_HOST" --port "$DOVECOT_PORT" --user "$USER_BENCH" --data "$BUILD")

# The first session builds Dovecot's index of the new mailbox: keep it out of the figures.
chrono "${nue[@]}" >/dev/null
chrono "${scan[@]}" >/dev/null
lignes=$(wc -l <"$BUILD/bench-sortie.txt")
if [[ $lignes -ne $((NOMBRE + 1)) ]]; then
  echo "bench-scan: the scan printed $lignes lines for $NOMBRE messages" >&2
  exit 1
fi

mediane() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
med() { printf '%s\n' "$@" | mediane; }

# Runs the commands (names, then each as a quoted string) in interleaved rounds; prints one line
# per command: median wall ms, median client CPU ms, messages/s at the median.
#   tours N MESSAGES nom1 'cmd1' nom2 'cmd2' ...
tours() {
  local n="$1" messages="$2"
  shift 2
  local -a noms=() cmds=()
  while (($#)); do noms+=("$1") cmds+=("$2"); shift 2; done
  declare -A murs=() cpus=()
  for ((t = 0; t < n; t++)); do
    for i in "${!cmds[@]}"; do
      read -r m c < <(eval "chrono ${cmds[$i]}")
      murs[$i]+="$m " cpus[$i]+="$c "
    done
  done
  for i in "${!cmds[@]}"; do
    # shellcheck disable=SC2086
    local mm cc
    mm=$(med ${murs[$i]}) cc=$(med ${cpus[$i]})
    printf '  %-34s %7d ms  %6d ms CPU  %8.0f msg/s   (wall: %s)\n' "${noms[$i]}" "$mm" "$cc" \
      "$(awk -v n="$messages" -v m="$mm" 'BEGIN { print (m > 0 ? n * 1000 / m : 0) }')" "${murs[$i]% }"
  done
}

total=$(head -n 1 "$BUILD/bench-sortie.txt" | cut -f 2)
echo "Mailbox: $NOMBRE messages, $total bytes, Dovecot $(dovecot --version | cut -d' ' -f1) on 127.0.0.1," \
  "$(nproc) CPUs, load $(cut -d' ' -f1 /proc/loadavg)"
echo "Loopback, median of $TOURS rounds, one connection each:"
tours "$TOURS" "$NOMBRE" "bare sequential TOP + LIST loop" '"${nue[@]}"' \
  "bare pipelined loop" '"${nuep[@]}"' "vaskor-cli scan" '"${scan[@]}"'

# A relay on a free port in front of Dovecot: relais PORT OPTIONS...
relais() {
  local port="$1"
  shift
  python3 scripts/proxy-delai.py --ecoute "$port" --vers "$DOVECOT_HOST:$DOVECOT_PORT" "$@" >"$BUILD/relais-$port.txt" &
  RELAIS+=("$!")
  for _ in $(seq 50); do grep -q pret "$BUILD/relais-$port.txt" 2>/dev/null && return 0; sleep 0.1; done
  echo "bench-scan: the relay on $port did not start" >&2
  exit 1
}
port_libre() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }

MOT_CHRONO="$MOT_LOIN"
TOURS_LOIN=$(( TOURS < 3 ? TOURS : 3 ))
for rtt in 20 50; do
  p=$(port_libre)
  relais "$p" --rtt "$rtt"
  echo "Round trip $rtt ms (relay), $DISTANT messages, median of $TOURS_LOIN rounds:"
  tours "$TOURS_LOIN" "$DISTANT" "bare sequential TOP + LIST loop" "\"$NUE\" -q 127.0.0.1 $p $USER_LOIN" \
    "bare pipelined loop" "\"$NUE\" -q -p 127.0.0.1 $p $USER_LOIN" \
    "vaskor-cli scan" "\"$CLI\" scan --host 127.0.0.1 --port $p --user $USER_LOIN --data \"$BUILD\""
done

p=$(port_libre)
relais "$p" --nagle --sans-capa
echo "Status and block written apart under Nagle, no CAPA (relay, no delay), $DISTANT messages:"
tours "$TOURS_LOIN" "$DISTANT" "bare loop without quick ACK (before)" "\"$NUE\" 127.0.0.1 $p $USER_LOIN" \
  "bare loop with quick ACK" "\"$NUE\" -q 127.0.0.1 $p $USER_LOIN" \
  "vaskor-cli scan (after)" "\"$CLI\" scan --host 127.0.0.1 --port $p --user $USER_LOIN --data \"$BUILD\""

p=$(port_libre)
relais "$p" --rtt 20
echo "Deletion of every marked row, round trip 20 ms (relay), $DISTANT messages, median of $TOURS_LOIN rounds:"
declare -A supp=()
for ((t = 0; t < TOURS_LOIN; t++)); do
  for mode in pipelined one-at-a-time; do
    option=()
    [[ $mode == one-at-a-time ]] && option=(--un-par-un)
    bash scripts/dovecot-lab.sh remplir "$LAB" "$USER_LOIN" "$DISTANT" 5000 >/dev/null
    read -r lignes ms < <("$SUPPRESSION" 127.0.0.1 "$p" "$USER_LOIN" "${option[@]}" <<<"$MOT_LOIN")
    if [[ ${lignes:-0} -ne $DISTANT ]]; then
      echo "bench-scan: the deletion removed ${lignes:-no} rows of $DISTANT" >&2
      exit 1
    fi
    supp[$mode]+="$ms "
  done
done
for mode in one-at-a-time pipelined; do
  # shellcheck disable=SC2086
  m=$(med ${supp[$mode]})
  printf '  %-34s %7d ms  %8.0f rows/s   (wall: %s)\n' "deletion, $mode" "$m" \
    "$(awk -v n="$DISTANT" -v m="$m" 'BEGIN { print (m > 0 ? n * 1000 / m : 0) }')" "${supp[$mode]% }"
done
