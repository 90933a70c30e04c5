#!/usr/bin/env bash
# Installs what is needed, builds Vaskor and starts the desktop application. The data stay in
# ~/.local/share/vaskor (or $XDG_DATA_HOME/vaskor), never in the build tree: `rm -rf build`
# loses nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/installer-dependances.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVASKOR_TESTS=OFF
cmake --build build -j"$(nproc)" --target vaskor vaskor-cli

# Data files left beside the executable by an older build would make this tree a portable copy
# (and `rm -rf build` would delete them): they move to the user's data folder, unless that
# folder already holds data of its own, in which case nothing is touched and the user is told.
programme=build/src/app
donnees="${XDG_DATA_HOME:-$HOME/.local/share}/vaskor"
case "$donnees" in /*) ;; *) donnees="$HOME/.local/share/vaskor" ;; esac
fichiers=()
while IFS= read -r -d '' f; do fichiers+=("$f"); done < <(
  find "$programme" -maxdepth 1 -type f \( -iname comptes.dat -o -iname filtres.dat -o -iname amis.dat \
    -o -iname vaskor.ini -o -iname mails_supprimes.dat \) -print0)
if ((${#fichiers[@]})); then
  if [ -d "$donnees" ] && [ -n "$(find "$donnees" -maxdepth 1 -type f \( -iname '*.dat' -o -iname vaskor.ini \) -print -quit)" ]; then
    echo "lancer.sh : $programme contient des données de Vaskor et $donnees aussi ;" >&2
    echo "  Vaskor utilise celles de $programme. Déplacez-les vous-même vers $donnees pour les garder." >&2
  else
    mkdir -p "$donnees" && chmod 700 "$donnees"
    mv -n "${fichiers[@]}" "$donnees/"
    echo "lancer.sh : données de Vaskor déplacées de $programme vers $donnees." >&2
  fi
fi
exec ./build/src/app/vaskor
