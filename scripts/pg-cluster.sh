#!/bin/bash
# A throwaway PostgreSQL cluster for the tests and benches: initdb in a folder
# of our own, run as an unprivileged user, listening only on a Unix socket in
# that folder; "stop" ends it and removes the folder.
#
#   scripts/pg-cluster.sh start DIR   prints the URI of its database "quorvane"
#   scripts/pg-cluster.sh stop DIR
#   scripts/pg-cluster.sh uri DIR [DATABASE]
set -euo pipefail

action=${1:-}
dir=${2:-}
[ -n "$action" ] && [ -n "$dir" ] || { echo "usage: $0 start|stop|uri DIR [DATABASE]" >&2; exit 2; }

bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
[ -x "$bin/initdb" ] || { echo "$0: PostgreSQL server not installed (scripts/install-deps.sh installs it)" >&2; exit 1; }

# The server refuses to run as root: it runs as nobody then.
as_owner() {
    if [ "$(id -u)" = 0 ]; then
        setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$@"
    else
        "$@"
    fi
}

uri() {
    echo "postgresql:///${2:-quorvane}?host=$1&user=quorvane"
}

case $action in
start)
    if [ -f "$dir/data/postmaster.pid" ]; then
        uri "$dir"
        exit 0
    fi
    rm -rf "$dir"
    mkdir -p "$dir/data"
    dir=$(cd "$dir" && pwd)
    [ "$(id -u)" = 0 ] && chown -R nobody:nogroup "$dir"
    as_owner "$bin/initdb" -D "$dir/data" -U quorvane -A trust -E UTF8 --no-locale >"$dir/initdb.log" 2>&1 \
        || { cat "$dir/initdb.log" >&2; exit 1; }
    as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
        -o "-c listen_addresses='' -c unix_socket_directories='$dir' -c fsync=off -c max_connections=200" \
        start >/dev/null || { cat "$dir/server.log" >&2; exit 1; }
    as_owner "$bin/createdb" -h "$dir" -U quorvane quorvane
    uri "$dir"
    ;;
stop)
    if [ -f "$dir/data/postmaster.pid" ]; then
        as_owner "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
    fi
    rm -rf "$dir"
    ;;
uri)
    uri "$(cd "$dir" && pwd)" "${3:-}"
    ;;
*)
    echo "usage: $0 start|stop|uri DIR [DATABASE]" >&2
    exit 2
    ;;
esac
