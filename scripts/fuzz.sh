#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for SECONDS (default 60). The header, address and date
# targets start from the e-mail corpus in ../shared/corpus when it is there. A crash, a sanitizer
# report or a hang ends the script with a failure and leaves the input in build-fuzz/crashes/.
#
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
DUREE="${1:-60}"
[[ $DUREE =~ ^[0-9]+$ ]] || { echo "fuzz.sh: SECONDS must be a whole number" >&2; exit 2; }
bash scripts/installer-dependances.sh
CONSTRUCTION=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$CONSTRUCTION" -DCMAKE_BUILD_TYPE=Debug -DVASKOR_SANITIZE=ON \
  -DVASKOR_FUZZ=ON -DVASKOR_GUI=OFF -DVASKOR_TESTS=OFF >/dev/null
cibles=()
for f in tests/fuzz/fuzz_*.cpp; do cibles+=("$(basename "$f" .cpp)"); done
cmake --build "$CONSTRUCTION" -j"$(nproc)" --target "${cibles[@]}" >/dev/null

CORPUS_MAILS=""
if [[ -d ../shared/corpus ]]; then
  CORPUS_MAILS=../shared/corpus
else
  echo "fuzz.sh: ../shared/corpus is absent; the header targets start from nothing"
fi
mkdir -p "$CONSTRUCTION/crashes"
echec=0
for c in "${cibles[@]}"; do
  travail="$CONSTRUCTION/corpus/$c"
  mkdir -p "$travail"
  graines=()
  case "$c" in
    fuzz_entetes|fuzz_adresse|fuzz_liste_adresses|fuzz_date|fuzz_corps) [[ -n $CORPUS_MAILS ]] && graines=("$CORPUS_MAILS") ;;
  esac
  journal="$CONSTRUCTION/$c.log"
  if "$CONSTRUCTION/tests/fuzz/$c" "$travail" "${graines[@]}" -max_total_time="$DUREE" -timeout=10 \
      -rss_limit_mb=2048 -max_len=65536 -artifact_prefix="$CONSTRUCTION/crashes/$c-" >"$journal" 2>&1; then
    executions=$(grep -Eo 'Done [0-9]+ runs' "$journal" | tail -1 | grep -Eo '[0-9]+' || echo "?")
    echo "fuzz: $c: $executions executions in ${DUREE} s, no failure"
  else
    echo "fuzz: $c FAILED, see $journal:"
    tail -30 "$journal"
    echec=1
  fi
done
exit "$echec"
