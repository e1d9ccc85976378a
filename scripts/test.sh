#!/usr/bin/env bash
# Installs what is missing, builds, starts a throwaway PostgreSQL 15 on loopback for the
# server-database tests, runs every test through ctest and stops the server again.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZENTHRA_BUILD_DIR:-$top/build}"
"$top/scripts/deps.sh"
"$top/scripts/build.sh"

pgbin=/usr/lib/postgresql/15/bin
pgdir="$(mktemp -d /tmp/zenthra-pg.XXXXXX)"
as_pg=()
if [ "$(id -u)" -eq 0 ]; then
    # The server refuses to run as root, and its commands start in a folder it can read rather
    # than the caller's, which may be closed to it.
    chown postgres: "$pgdir"
    as_pg=(runuser -u postgres -- env -C "$pgdir")
fi

stop_pg() {
    "${as_pg[@]}" "$pgbin/pg_ctl" -D "$pgdir/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$pgdir"
}
trap stop_pg EXIT

port=""
for candidate in $(shuf -i 20000-40000 -n 20); do
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$candidate") 2>/dev/null; then
        port=$candidate
        break
    fi
done
[ -n "$port" ] || { echo "no free port for PostgreSQL" >&2; exit 1; }

"${as_pg[@]}" "$pgbin/initdb" -D "$pgdir/data" -U zenthra --auth=trust -E UTF8 --locale=C.UTF-8 >"$pgdir/initdb.log"
# One role logs in with a password, as most servers ask: the tests of a slow path need the
# password exchange's round trips.
hba="$pgdir/data/pg_hba.conf"
{ echo "host all zenthra_pw 127.0.0.1/32 scram-sha-256"; cat "$hba"; } >"$hba.new"
mv "$hba.new" "$hba"
[ "$(id -u)" -ne 0 ] || chown postgres: "$hba"
"${as_pg[@]}" "$pgbin/pg_ctl" -D "$pgdir/data" -l "$pgdir/server.log" -w \
    -o "-h 127.0.0.1 -p $port -k $pgdir -c fsync=off" start >/dev/null
"${as_pg[@]}" "$pgbin/createdb" -h 127.0.0.1 -p "$port" -U zenthra zenthra_test
"${as_pg[@]}" "$pgbin/psql" -q -h 127.0.0.1 -p "$port" -U zenthra -d zenthra_test \
    -c "CREATE ROLE zenthra_pw LOGIN SUPERUSER PASSWORD 'slow path'" >/dev/null

export ZENTHRA_TEST_PG_HOST=127.0.0.1
export ZENTHRA_TEST_PG_PORT="$port"
export ZENTHRA_TEST_PG_USER=zenthra
export ZENTHRA_TEST_PG_DB=zenthra_test
export ZENTHRA_TEST_PG_PW_USER=zenthra_pw
export ZENTHRA_TEST_PG_PW_PASSWORD="slow path"
export QT_QPA_PLATFORM=offscreen

cd "$build"
ctest --output-on-failure --parallel "$(nproc)" "$@"
