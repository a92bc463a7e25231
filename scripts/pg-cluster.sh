#!/bin/bash
# A throwaway PostgreSQL cluster for the tests and benches: initdb in a folder
# of our own, run as an unprivileged user, listening only on a Unix socket in
# that folder; "stop" ends it and removes the folder.
#
#   scripts/pg-cluster.sh start DIR   prints the URI of its database "quorvane"
#   scripts/pg-cluster.sh stop DIR
#   scripts/pg-cluster.sh uri DIR [DATABASE]
#   scripts/pg-cluster.sh halt DIR    stops the server and keeps the cluster
#   scripts/pg-cluster.sh resume DIR  starts the kept cluster's server again
#
# The server runs with fsync off; QUORVANE_PG_FSYNC=on keeps it on, for a
# bench whose commit times must be real.
set -euo pipefail

action=${1:-}
dir=${2:-}
usage="usage: $0 start|stop|halt|resume|uri DIR [DATABASE]"
[ -n "$action" ] && [ -n "$dir" ] || { echo "$usage" >&2; exit 2; }

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

run_server() {
    local fsync=${QUORVANE_PG_FSYNC:-off}
    [ "$fsync" = on ] || [ "$fsync" = off ] || { echo "$0: QUORVANE_PG_FSYNC must be on or off" >&2; exit 2; }
    as_owner "$bin/pg_ctl" -D "$1/data" -l "$1/server.log" -w -t 60 \
        -o "-c listen_addresses='' -c unix_socket_directories='$1' -c fsync=$fsync -c max_connections=200" \
        start >/dev/null || { cat "$1/server.log" >&2; exit 1; }
}

# Whether the cluster in DIR runs and serves its database "quorvane".
answers() {
    [ -S "$1/.s.PGSQL.5432" ] \
        && as_owner "$bin/psql" -h "$1" -U quorvane -d quorvane -XAtqc 'SELECT 1' >/dev/null 2>&1
}

# Ends the postmaster of DIR, if one still runs, and removes DIR. The process
# named by a postmaster.pid left behind by a crash is signalled only when it
# is still the postmaster of this very data folder: its number may have gone
# to another process since.
remove_cluster() {
    local data="$1/data" pid
    if [ -f "$data/postmaster.pid" ]; then
        pid=$(head -n 1 "$data/postmaster.pid" 2>/dev/null || true)
        if [[ "$pid" =~ ^[0-9]+$ ]] && [ -r "/proc/$pid/cmdline" ] \
            && tr '\0' ' ' <"/proc/$pid/cmdline" | grep -qF -- "-D $data "; then
            as_owner "$bin/pg_ctl" -D "$data" -m immediate -w -t 30 stop >/dev/null 2>&1 \
                || kill -KILL "$pid" 2>/dev/null || true
        fi
    fi
    rm -rf "$1"
}

case $action in
start)
    # A cluster that still runs from an earlier start is used as it is; what
    # a crashed run left (a postmaster.pid without its process, a half-made
    # cluster) is removed and made anew.
    if [ -d "$dir" ]; then
        dir=$(cd "$dir" && pwd)
        if answers "$dir"; then
            uri "$dir"
            exit 0
        fi
        remove_cluster "$dir"
    fi
    mkdir -p "$dir/data"
    dir=$(cd "$dir" && pwd)
    # The socket's path must fit a Unix socket address (107 bytes).
    if [ $(( ${#dir} + 17 )) -gt 107 ]; then
        echo "$0: $dir: too long a path for the server's socket; choose a shorter folder" >&2
        rm -rf "$dir"
        exit 1
    fi
    [ "$(id -u)" = 0 ] && chown -R nobody:nogroup "$dir"
    as_owner "$bin/initdb" -D "$dir/data" --no-sync -U quorvane -A trust -E UTF8 --no-locale >"$dir/initdb.log" 2>&1 \
        || { cat "$dir/initdb.log" >&2; exit 1; }
    run_server "$dir"
    as_owner "$bin/createdb" -h "$dir" -U quorvane quorvane
    uri "$dir"
    ;;
stop)
    [ -d "$dir" ] && remove_cluster "$(cd "$dir" && pwd)"
    exit 0
    ;;
halt)
    dir=$(cd "$dir" && pwd)
    as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w -t 60 stop >/dev/null
    ;;
resume)
    dir=$(cd "$dir" && pwd)
    run_server "$dir"
    ;;
uri)
    uri "$(cd "$dir" && pwd)" "${3:-}"
    ;;
*)
    echo "$usage" >&2
    exit 2
    ;;
esac
