#!/usr/bin/env bash
# Starts the PostgreSQL and MariaDB servers that the server tests use, on loopback,
# each with its own data folder (no system service), creates the test user and
# database on each, and exports their connection strings:
#   VELDRIX_TEST_PG     PostgreSQL, user veldrix (may create databases and roles),
#                       database veldrix_test
#   VELDRIX_TEST_MYSQL  MariaDB, user veldrix, database veldrix_test (SSL offered
#                       with a self-signed certificate)
# The user may create further databases. Servers already running are reused.
# scripts/test.sh sources this file; it may also be run by itself to start the
# servers (the exports then stay in that shell only).
#
# Settings: VELDRIX_SERVERS_DIR (data folders, default /tmp/veldrix-test-servers),
# VELDRIX_PG_PORT (55432), VELDRIX_MYSQL_PORT (53306).

veldrix_servers_log() { echo "test-servers: $*" >&2; }

# Runs a command as the PostgreSQL user when we are root: the server refuses root.
veldrix_as_pg_user() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u "$VELDRIX_PG_OS_USER" -- "$@"
  else
    "$@"
  fi
}

# Whether the pid names a running (not zombie) process with that command name.
veldrix_live_process() {
  local pid="$1" name="$2" stat
  [[ "$pid" =~ ^[0-9]+$ ]] || return 1
  stat="$(cat "/proc/$pid/stat" 2>/dev/null)" || return 1
  [[ "$stat" == *"($name) "* ]] || return 1
  [[ "${stat##*) }" != Z* ]]
}

veldrix_pg_bin() {
  local dir
  dir="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)"
  if [ -z "$dir" ] || [ ! -x "$dir/pg_ctl" ]; then
    veldrix_servers_log "PostgreSQL server programs not found (install the postgresql package)"
    return 1
  fi
  echo "$dir"
}

veldrix_start_postgresql() {
  local bin data sock log i
  bin="$(veldrix_pg_bin)" || return 1
  data="$VELDRIX_SERVERS_DIR/pg/data"
  sock="$VELDRIX_SERVERS_DIR/pg/socket"
  log="$VELDRIX_SERVERS_DIR/pg/server.log"

  if ! "$bin/pg_isready" -q -h 127.0.0.1 -p "$VELDRIX_PG_PORT"; then
    mkdir -p "$VELDRIX_SERVERS_DIR/pg" "$sock"
    if [ "$(id -u)" -eq 0 ]; then chown -R "$VELDRIX_PG_OS_USER" "$VELDRIX_SERVERS_DIR/pg"; fi
    if [ ! -f "$data/PG_VERSION" ]; then
      veldrix_servers_log "initialising PostgreSQL in $data"
      veldrix_as_pg_user "$bin/initdb" -D "$data" -U postgres -E UTF8 --locale=C.UTF-8 \
        --auth-local=trust --auth-host=scram-sha-256 >"$VELDRIX_SERVERS_DIR/pg/initdb.log" 2>&1 || {
        veldrix_servers_log "initdb failed, see $VELDRIX_SERVERS_DIR/pg/initdb.log"
        return 1
      }
    fi
    # A server killed without shutting down leaves its pid file behind, and the pid
    # in it may since belong to another process (or a zombie): the server would then
    # refuse to start. No server answers on the port, so a stale file is removed.
    if [ -f "$data/postmaster.pid" ] && ! veldrix_live_process "$(head -n 1 "$data/postmaster.pid")" postgres; then
      rm -f "$data/postmaster.pid"
    fi
    veldrix_servers_log "starting PostgreSQL on 127.0.0.1:$VELDRIX_PG_PORT"
    veldrix_as_pg_user "$bin/pg_ctl" -D "$data" -l "$log" -w -t 60 \
      -o "-p $VELDRIX_PG_PORT -c listen_addresses=127.0.0.1 -k $sock" start >/dev/null || {
      veldrix_servers_log "PostgreSQL did not start, see $log"
      return 1
    }
  fi
  for i in $(seq 1 60); do
    "$bin/pg_isready" -q -h 127.0.0.1 -p "$VELDRIX_PG_PORT" && break
    sleep 1
  done

  local psql=("$bin/psql" -X -q -v ON_ERROR_STOP=1 -h "$sock" -p "$VELDRIX_PG_PORT" -U postgres -d postgres)
  veldrix_as_pg_user "${psql[@]}" <<SQL || return 1
DO \$\$
BEGIN
  IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'veldrix') THEN
    CREATE ROLE veldrix LOGIN CREATEDB CREATEROLE PASSWORD '$VELDRIX_TEST_PASSWORD';
  ELSE
    ALTER ROLE veldrix LOGIN CREATEDB CREATEROLE PASSWORD '$VELDRIX_TEST_PASSWORD';
  END IF;
END
\$\$;
SELECT 'CREATE DATABASE veldrix_test OWNER veldrix ENCODING ''UTF8'' TEMPLATE template0'
WHERE NOT EXISTS (SELECT 1 FROM pg_database WHERE datname = 'veldrix_test') \gexec
SQL
}

veldrix_start_mariadb() {
  local dir data sock log pid i
  dir="$VELDRIX_SERVERS_DIR/mariadb"
  data="$dir/data"
  sock="$dir/mariadb.sock"
  log="$dir/server.log"
  local admin=(mariadb-admin --no-defaults -S "$sock" -u root)

  # A server started without certificates (by an older copy of this script) is
  # restarted: the tests need encrypted connections too.
  if "${admin[@]}" ping >/dev/null 2>&1 &&
    [ "$(mariadb --no-defaults -S "$sock" -u root -N -B -e 'SELECT @@have_ssl' 2>/dev/null)" != "YES" ]; then
    veldrix_servers_log "restarting MariaDB with SSL"
    "${admin[@]}" shutdown >/dev/null 2>&1 || true
    for i in $(seq 1 30); do
      "${admin[@]}" ping >/dev/null 2>&1 || break
      sleep 1
    done
  fi

  if ! "${admin[@]}" ping >/dev/null 2>&1; then
    mkdir -p "$dir"
    if [ ! -f "$dir/server-cert.pem" ]; then
      openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=127.0.0.1" \
        -keyout "$dir/server-key.pem" -out "$dir/server-cert.pem" >"$dir/openssl.log" 2>&1 || {
        veldrix_servers_log "could not make the MariaDB certificate, see $dir/openssl.log"
        return 1
      }
    fi
    if [ ! -d "$data/mysql" ]; then
      veldrix_servers_log "initialising MariaDB in $data"
      mariadb-install-db --no-defaults --datadir="$data" --user="$(id -un)" \
        --auth-root-authentication-method=normal --skip-test-db >"$dir/install.log" 2>&1 || {
        veldrix_servers_log "mariadb-install-db failed, see $dir/install.log"
        return 1
      }
    fi
    veldrix_servers_log "starting MariaDB on 127.0.0.1:$VELDRIX_MYSQL_PORT"
    # setsid: the server outlives the shell that started it.
    setsid mariadbd --no-defaults --datadir="$data" --socket="$sock" --pid-file="$dir/mariadbd.pid" \
      --port="$VELDRIX_MYSQL_PORT" --bind-address=127.0.0.1 --skip-name-resolve --user="$(id -un)" \
      --log-error="$log" --character-set-server=utf8mb4 --collation-server=utf8mb4_unicode_ci \
      --ssl-cert="$dir/server-cert.pem" --ssl-key="$dir/server-key.pem" \
      </dev/null >/dev/null 2>&1 &
    pid=$!
    for i in $(seq 1 60); do
      "${admin[@]}" ping >/dev/null 2>&1 && break
      if ! kill -0 "$pid" 2>/dev/null; then
        veldrix_servers_log "MariaDB stopped while starting, see $log"
        return 1
      fi
      sleep 1
    done
    "${admin[@]}" ping >/dev/null 2>&1 || {
      veldrix_servers_log "MariaDB did not start within 60 s, see $log"
      return 1
    }
  fi

  mariadb --no-defaults -S "$sock" -u root <<SQL || return 1
CREATE USER IF NOT EXISTS 'veldrix'@'%' IDENTIFIED BY '$VELDRIX_TEST_PASSWORD';
ALTER USER 'veldrix'@'%' IDENTIFIED BY '$VELDRIX_TEST_PASSWORD';
GRANT ALL PRIVILEGES ON *.* TO 'veldrix'@'%';
CREATE DATABASE IF NOT EXISTS veldrix_test CHARACTER SET utf8mb4 COLLATE utf8mb4_unicode_ci;
FLUSH PRIVILEGES;
SQL
}

veldrix_start_test_servers() {
  VELDRIX_SERVERS_DIR="${VELDRIX_SERVERS_DIR:-/tmp/veldrix-test-servers}"
  VELDRIX_PG_PORT="${VELDRIX_PG_PORT:-55432}"
  VELDRIX_MYSQL_PORT="${VELDRIX_MYSQL_PORT:-53306}"
  VELDRIX_PG_OS_USER="${VELDRIX_PG_OS_USER:-postgres}"
  VELDRIX_TEST_PASSWORD="veldrix_test"
  mkdir -p "$VELDRIX_SERVERS_DIR"
  chmod 755 "$VELDRIX_SERVERS_DIR"

  # Several checkouts may start the servers at once: one at a time.
  local status=0
  exec {veldrix_lock_fd}>"$VELDRIX_SERVERS_DIR/.lock"
  flock "$veldrix_lock_fd"
  veldrix_start_postgresql || status=1
  if [ "$status" -eq 0 ]; then veldrix_start_mariadb || status=1; fi
  flock -u "$veldrix_lock_fd"
  exec {veldrix_lock_fd}>&-
  if [ "$status" -ne 0 ]; then return 1; fi

  export VELDRIX_TEST_PG="Driver=PostgreSQL (libpq);ServerType=PostgreSQL;Server=127.0.0.1;Port=$VELDRIX_PG_PORT;Database=veldrix_test;User ID=veldrix;Password=$VELDRIX_TEST_PASSWORD;SSL=0;"
  export VELDRIX_TEST_MYSQL="Driver=MySQL (MariaDB Connector/C);ServerType=MySQL;Server=127.0.0.1;Port=$VELDRIX_MYSQL_PORT;Database=veldrix_test;User ID=veldrix;Password=$VELDRIX_TEST_PASSWORD;SSL=0;"
  veldrix_servers_log "PostgreSQL and MariaDB ready"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  veldrix_start_test_servers
  echo "export VELDRIX_TEST_PG='$VELDRIX_TEST_PG'"
  echo "export VELDRIX_TEST_MYSQL='$VELDRIX_TEST_MYSQL'"
else
  veldrix_start_test_servers
fi
