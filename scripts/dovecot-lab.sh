#!/usr/bin/env bash
# A throw-away Dovecot POP3 server for the integration tests and the benchmarks.
#
#   dovecot-lab.sh start DIR [PORT]        configure and start Dovecot in DIR, wait for a first login
#   dovecot-lab.sh stop DIR                stop it by its PID and wait until it is gone
#   dovecot-lab.sh remplir DIR USER N [SEED [OPTIONS...]]
#                                          replace USER's mailbox with N generated messages; the
#                                          expected decoding goes to DIR/attendu-USER.tsv; OPTIONS
#                                          go to generer-messages.py (--unreadable 3,7)
#   dovecot-lab.sh vider DIR USER          empty USER's mailbox
#
# Dovecot runs as a plain process (it daemonizes; no systemd), listens on 127.0.0.1 only, takes
# USER/PASS in clear and serves Maildirs owned by an ordinary system user, since it refuses to
# serve mail as root. Everything it writes stays in DIR, except when DIR is too deep for Unix
# socket paths or not enterable by Dovecot's users (a clone under /root): then its sockets and
# the mailboxes go to a folder under /tmp that `stop` removes.
#
# TLS: at each start a throw-away certificate authority and a server certificate for localhost
# and 127.0.0.1 are made with openssl in DIR/tls; Dovecot offers STLS on the plain port and
# speaks TLS from the first byte on a second port. Clients trust the lab's authority through
# SSL_CERT_FILE=$DOVECOT_TLS_CA.
#
# DIR/lab.env is written for the tests (KEY=VALUE lines, no quoting needed):
#   DOVECOT_HOST, DOVECOT_PORT, DOVECOT_TLS_PORT, DOVECOT_TLS_CA (the authority's PEM file),
#   DOVECOT_USERS (comma-separated), DOVECOT_PASSWORD_<user>,
#   DOVECOT_MAILDIR_<user>, DOVECOT_OWNER (the system user owning the mailboxes),
#   DOVECOT_PID, DOVECOT_CONF, DOVECOT_LOG, DOVECOT_LAB, DOVECOT_RACINE.
#
# Must run as root (it creates the system user, chowns the mailboxes, starts Dovecot). When it
# cannot run at all here it exits with status 77, which the tests report as skipped.
set -euo pipefail

ICI="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
PROPRIETAIRE="${VASKOR_DOVECOT_USER:-vaskorlab}"
UTILISATEURS=(anne bruno chloe david emile fanny gaston helene ivan julie)
# A refused password is normally answered after 2 s; tests refuse passwords on purpose.
DELAI_ECHEC="${VASKOR_DOVECOT_AUTH_DELAY:-0}"

erreur() { echo "dovecot-lab: $*" >&2; }
impossible() { erreur "$*"; exit 77; }

usage() {
  sed -n '2,11p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

mot_de_passe() { echo "secret-$1-42"; }

installer_dovecot() {
  command -v dovecot >/dev/null && [[ -x /usr/lib/dovecot/pop3 ]] && return 0
  if [[ $EUID -ne 0 ]]; then impossible "Dovecot is not installed and installing it needs root"; fi
  echo "dovecot-lab: installing dovecot-core dovecot-pop3d" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q >&2 || true
  # The package's own service is of no use here; keep it from starting where policy-rc.d allows.
  apt-get install -y -q --no-install-recommends dovecot-core dovecot-pop3d >&2 ||
    impossible "could not install dovecot-core dovecot-pop3d"
}

creer_proprietaire() {
  getent passwd "$PROPRIETAIRE" >/dev/null && return 0
  # Another lab may be creating it at the same moment: only a missing user afterwards is an error.
  useradd --system --user-group --no-create-home --home-dir /nonexistent \
    --shell /usr/sbin/nologin "$PROPRIETAIRE" 2>/dev/null || true
  getent passwd "$PROPRIETAIRE" >/dev/null || { erreur "cannot create the system user $PROPRIETAIRE"; exit 1; }
}

port_libre() {
  python3 - <<'EOF'
import socket
s = socket.socket()
s.bind(("127.0.0.1", 0))
print(s.getsockname()[1])
s.close()
EOF
}

# True when every folder from / down to $1 can be entered by the mailbox owner.
enterable_par_proprietaire() {
  runuser -u "$PROPRIETAIRE" -- test -x "$1" 2>/dev/null
}

lire_env() {
  local f="$1/lab.env"
  [[ -f $f ]] || return 1
  # shellcheck disable=SC1090
  source "$f"
}

vivant() { [[ -n ${1:-} ]] && kill -0 "$1" 2>/dev/null; }

# The lab's authority and the server's certificate, valid two days: nothing outlives the lab.
creer_certificats() {
  local tls="$1"
  command -v openssl >/dev/null || impossible "openssl is missing (scripts/installer-dependances.sh installs it)"
  rm -rf "$tls"
  mkdir -p "$tls"
  openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 2 -subj "/CN=Vaskor lab CA" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
    -keyout "$tls/ca.key" -out "$tls/ca.pem" 2>/dev/null
  openssl req -newkey rsa:2048 -nodes -sha256 -subj "/CN=localhost" \
    -keyout "$tls/serveur.key" -out "$tls/serveur.csr" 2>/dev/null
  printf 'subjectAltName=DNS:localhost,IP:127.0.0.1\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' \
    >"$tls/serveur.ext"
  openssl x509 -req -sha256 -days 2 -in "$tls/serveur.csr" -CA "$tls/ca.pem" -CAkey "$tls/ca.key" \
    -CAcreateserial -extfile "$tls/serveur.ext" -out "$tls/serveur.pem" 2>/dev/null
  chmod 644 "$tls/ca.pem" "$tls/serveur.pem"
  chmod 600 "$tls/ca.key" "$tls/serveur.key"
}

# Logs in as the first user over a plain TCP connection; succeeds when Dovecot says +OK to PASS.
# Runs in a subshell: a refused connection makes `exec` end the shell that tried it.
premiere_connexion() (
  local port="$1" user="$2" pass="$3" ligne
  exec 3<>"/dev/tcp/127.0.0.1/$port" 2>/dev/null || exit 1
  local ok=1
  if read -r -t 10 ligne <&3 && [[ $ligne == +OK* ]]; then
    printf 'USER %s\r\n' "$user" >&3
    if read -r -t 10 ligne <&3 && [[ $ligne == +OK* ]]; then
      printf 'PASS %s\r\n' "$pass" >&3
      if read -r -t 15 ligne <&3 && [[ $ligne == +OK* ]]; then ok=0; fi
    fi
    printf 'QUIT\r\n' >&3 || true
    read -r -t 2 ligne <&3 || true
  fi
  exec 3<&- 3>&-
  exit $ok
)

arreter() {
  local dir="$1"
  dir="$(cd "$dir" 2>/dev/null && pwd)" || return 0
  local DOVECOT_PID="" DOVECOT_RACINE="" DOVECOT_BASE_DIR=""
  lire_env "$dir" || true
  local pid="$DOVECOT_PID"
  # The PID file is the master's own word; prefer it to the env file when both exist.
  if [[ -n $DOVECOT_BASE_DIR && -f $DOVECOT_BASE_DIR/master.pid ]]; then
    pid="$(cat "$DOVECOT_BASE_DIR/master.pid")"
  fi
  if vivant "$pid"; then
    kill -TERM "$pid" 2>/dev/null || true
    local i
    for ((i = 0; i < 100; i++)); do
      vivant "$pid" || break
      sleep 0.1
    done
    if vivant "$pid"; then
      erreur "Dovecot ($pid) did not stop within 10 s; killing it"
      kill -KILL "$pid" 2>/dev/null || true
    fi
  fi
  if [[ -n $DOVECOT_RACINE && $DOVECOT_RACINE != "$dir" && $DOVECOT_RACINE == /tmp/vaskor-dovecot.* ]]; then
    rm -rf "$DOVECOT_RACINE"
  fi
  rm -f "$dir/lab.env"
}

demarrer() {
  local dir="$1" port="${2:-}"
  # Without root no lab can run here; an env file left by an earlier run would point the tests
  # at a server that is gone.
  [[ $EUID -eq 0 ]] || rm -f "$dir/lab.env"
  [[ $EUID -eq 0 ]] || impossible "must run as root (Dovecot serves mail only as an ordinary user it switches to)"
  command -v python3 >/dev/null || impossible "python3 is missing (scripts/installer-dependances.sh installs it)"
  installer_dovecot
  creer_proprietaire
  mkdir -p "$dir"
  dir="$(cd "$dir" && pwd)"
  # A lab left running by an interrupted run would hold the port and the files.
  arreter "$dir"

  chmod 755 "$dir"
  local racine="$dir"
  # Socket paths are limited to 108 bytes; the longest Dovecot creates is about 40 below base_dir.
  if ((${#dir} > 60)) || ! enterable_par_proprietaire "$dir"; then
    racine="$(mktemp -d /tmp/vaskor-dovecot.XXXXXX)"
    chmod 755 "$racine"
  fi
  local base="$racine/run" etat="$dir/etat" boites="$racine/boites"
  rm -rf "$base" "$etat" "$boites"
  mkdir -p "$base" "$etat" "$boites"
  chmod 755 "$boites"

  local uid gid
  uid="$(id -u "$PROPRIETAIRE")"
  gid="$(id -g "$PROPRIETAIRE")"

  # Read by the auth process, which runs as Dovecot's own user.
  local mots="$racine/utilisateurs"
  : >"$mots"
  local u
  for u in "${UTILISATEURS[@]}"; do
    echo "$u:{PLAIN}$(mot_de_passe "$u")::::::" >>"$mots"
    mkdir -p "$boites/$u/Maildir/cur" "$boites/$u/Maildir/new" "$boites/$u/Maildir/tmp"
  done
  chown -R "$uid:$gid" "$boites"
  chmod 644 "$mots"

  creer_certificats "$dir/tls"

  local essais=1 choisi="" choisi_tls=""
  essais=5
  local conf="$dir/dovecot.conf" log="$dir/dovecot.log" sortie="$dir/dovecot-sortie.log"
  while ((essais-- > 0)); do
    choisi="${port:-$(port_libre)}"
    choisi_tls="$(port_libre)"
    cat >"$conf" <<EOF
# Written by scripts/dovecot-lab.sh; self-contained, reads nothing under /etc/dovecot.
instance_name = vaskor-lab-$choisi
base_dir = $base
state_dir = $etat
log_path = $log
info_log_path = $log
protocols = pop3
listen = 127.0.0.1
ssl = yes
ssl_cert = <$dir/tls/serveur.pem
ssl_key = <$dir/tls/serveur.key
ssl_min_protocol = TLSv1.2
disable_plaintext_auth = no
auth_mechanisms = plain
auth_failure_delay = $DELAI_ECHEC
auth_verbose = yes
first_valid_uid = $uid
first_valid_gid = $gid
mail_location = maildir:~/Maildir
pop3_uidl_format = %08Xu%08Xv

passdb {
  driver = passwd-file
  args = scheme=PLAIN $mots
}
userdb {
  driver = static
  args = uid=$uid gid=$gid home=$boites/%u
}

service pop3-login {
  inet_listener pop3 {
    address = 127.0.0.1
    port = $choisi
  }
  inet_listener pop3s {
    address = 127.0.0.1
    port = $choisi_tls
    ssl = yes
  }
}
# Each refused password would otherwise slow every later login from 127.0.0.1.
service anvil {
  unix_listener anvil-auth-penalty {
    mode = 0
  }
}
EOF
    : >"$log"
    # Dovecot keeps the caller's output open for good: never let it hold a pipe of ours.
    if ! dovecot -c "$conf" </dev/null >"$sortie" 2>&1; then
      if grep -q "Address already in use" "$sortie" "$log" 2>/dev/null && ((essais > 0)); then
        continue
      fi
      erreur "Dovecot did not start:"
      tail -n 20 "$sortie" "$log" >&2
      exit 1
    fi
    break
  done

  local pid="" i
  for ((i = 0; i < 50; i++)); do
    [[ -s $base/master.pid ]] && pid="$(cat "$base/master.pid")" && break
    sleep 0.1
  done
  if ! vivant "$pid"; then
    erreur "Dovecot wrote no running master PID; its output:"
    tail -n 20 "$sortie" "$log" >&2
    exit 1
  fi

  # The env file goes first, so that `stop` finds the PID even if the wait below fails.
  {
    echo "DOVECOT_HOST=127.0.0.1"
    echo "DOVECOT_PORT=$choisi"
    echo "DOVECOT_TLS_PORT=$choisi_tls"
    echo "DOVECOT_TLS_CA=$dir/tls/ca.pem"
    echo "DOVECOT_USERS=$(IFS=,; echo "${UTILISATEURS[*]}")"
    for u in "${UTILISATEURS[@]}"; do
      echo "DOVECOT_PASSWORD_$u=$(mot_de_passe "$u")"
      echo "DOVECOT_MAILDIR_$u=$boites/$u/Maildir"
    done
    echo "DOVECOT_OWNER=$PROPRIETAIRE"
    echo "DOVECOT_PID=$pid"
    echo "DOVECOT_CONF=$conf"
    echo "DOVECOT_LOG=$log"
    echo "DOVECOT_LAB=$dir"
    echo "DOVECOT_RACINE=$racine"
    echo "DOVECOT_BASE_DIR=$base"
    echo "DOVECOT_SCRIPT=$ICI/dovecot-lab.sh"
  } >"$dir/lab.env.tmp"
  mv "$dir/lab.env.tmp" "$dir/lab.env"

  # The login service takes a few seconds to come up after the master has daemonized.
  local u0="${UTILISATEURS[0]}" fin=$((SECONDS + 30))
  while ((SECONDS < fin)); do
    if premiere_connexion "$choisi" "$u0" "$(mot_de_passe "$u0")"; then
      echo "dovecot-lab: Dovecot $pid serves POP3 on 127.0.0.1:$choisi ($dir/lab.env)"
      return 0
    fi
    vivant "$pid" || break
    sleep 0.25
  done
  erreur "no successful login within 30 s; the end of Dovecot's log:"
  tail -n 20 "$sortie" "$log" >&2
  arreter "$dir"
  exit 1
}

maildir_de() {
  local user="$1" var
  var="DOVECOT_MAILDIR_$user"
  [[ -n ${!var:-} ]] || { erreur "unknown user $user"; exit 1; }
  echo "${!var}"
}

lab_existant() {
  lire_env "$1" || { erreur "no lab running in $1"; exit 1; }
}

vider() {
  local user="$1" md
  md="$(maildir_de "$user")"
  # Dovecot's index and UID list go too, so that the next session numbers the new messages afresh.
  rm -rf "$md"
  mkdir -p "$md/cur" "$md/new" "$md/tmp"
  chown -R "$DOVECOT_OWNER:" "$(dirname "$md")"
}

remplir() {
  local user="$1" n="$2" graine="${3:-1}" md
  shift 3
  vider "$user"
  md="$(maildir_de "$user")"
  python3 "$ICI/generer-messages.py" --maildir "$md" --count "$n" --seed "$graine" \
    --expect "$DOVECOT_LAB/attendu-$user.tsv" "$@"
  chown -R "$DOVECOT_OWNER:" "$md"
}

(($# >= 2)) || usage
case "$1" in
  start) (($# <= 3)) || usage; demarrer "$2" "${3:-}" ;;
  stop) arreter "$2" ;;
  remplir) (($# >= 4)) || usage; lab_existant "$2"; remplir "$3" "$4" "${5:-1}" "${@:6}" ;;
  vider) (($# == 3)) || usage; lab_existant "$2"; vider "$3" ;;
  *) usage ;;
esac
