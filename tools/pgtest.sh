#!/bin/sh
# pgtest.sh COMMAND...: runs COMMAND against a private PostgreSQL server made for the run and
# stops the server afterwards. The server lives in a temporary folder owned by an
# unprivileged user and listens only on a unix socket in that folder. COMMAND finds it in
# PW_TEST_DATABASE (a connection URI to its "postgres" database).
set -eu

bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bin" ]; then
    echo "pgtest: PostgreSQL is not installed (Debian package postgresql)" >&2
    exit 1
fi

dir=$(mktemp -d /tmp/pwpg.XXXXXX)
if [ "$(id -u)" = 0 ]; then
    owner=nobody
    chown "$owner" "$dir"
    as_owner() { runuser -u "$owner" -- "$@"; }
else
    as_owner() { "$@"; }
fi

stop() {
    as_owner "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$dir"
}
trap stop EXIT
trap 'exit 1' INT TERM

# Text sorts by English rules, as on a club's server made in its language, so that a text
# compared or sorted differently from SQLite shows.
if ! as_owner "$bin/initdb" -D "$dir/data" -U pwtest --auth=trust -E UTF8 \
    --locale-provider=icu --icu-locale=en --no-sync \
    >"$dir/initdb.log" 2>&1; then
    echo "pgtest: initdb failed:" >&2
    cat "$dir/initdb.log" >&2
    exit 1
fi
# A throw-away server: durability is of no use, speed is.
if ! as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-c listen_addresses='' -k $dir -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=300" \
    start >/dev/null; then
    echo "pgtest: the server did not start; its log:" >&2
    cat "$dir/server.log" >&2
    exit 1
fi

export PW_TEST_DATABASE="postgresql:///postgres?host=$dir&user=pwtest"
"$@"
