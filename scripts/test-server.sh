# Sourced by the test scripts: one private PostgreSQL cluster for the whole run, with its data
# folder and Unix socket in a temporary folder, run as the "postgres" user when this runs as root,
# and stopped when the script ends. Exports its connection in VOLMERA_TEST_SERVER, and in
# VOLMERA_TEST_SERVER_ROLE a role that must give its password ("Right Horse 7") even on the local
# socket, which every other user reaches without one; without a server the server rows of the
# tests say so and are skipped.
# shellcheck shell=bash

test_server_dir=""

stop_test_server() {
    [ -n "$test_server_dir" ] || return 0
    local as=()
    [ "$(id -u)" -eq 0 ] && as=(runuser -u postgres --)
    "${as[@]}" "$test_server_bin/pg_ctl" -D "$test_server_dir/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$test_server_dir"
    test_server_dir=""
}

start_test_server() {
    test_server_bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
    if [ -z "$test_server_bin" ]; then
        echo "test server: postgresql is not installed; the server rows will be skipped"
        return 0
    fi
    test_server_dir=$(mktemp -d /tmp/volmera-pg.XXXXXX)
    chmod 755 "$test_server_dir"
    local as=() user
    user=$(id -un)
    if [ "$(id -u)" -eq 0 ]; then
        as=(runuser -u postgres --)
        user=postgres
        chown postgres "$test_server_dir"
    fi
    trap stop_test_server EXIT
    if ! "${as[@]}" "$test_server_bin/initdb" -D "$test_server_dir/data" -U "$user" -A trust \
        -E UTF8 --locale=C.UTF-8 >"$test_server_dir/initdb.log" 2>&1; then
        echo "test server: initdb failed; the server rows will be skipped"
        cat "$test_server_dir/initdb.log"
        stop_test_server
        return 0
    fi
    # The role with a password is asked for it; every other local user is trusted.
    local hba="$test_server_dir/data/pg_hba.conf"
    { echo "local all volmera_clerk scram-sha-256"; cat "$hba"; } >"$hba.new"
    "${as[@]}" cp "$hba.new" "$hba"
    rm -f "$hba.new"
    # No TCP port: only the socket in the temporary folder, so runs never meet.
    if ! "${as[@]}" "$test_server_bin/pg_ctl" -D "$test_server_dir/data" -w -l "$test_server_dir/log" \
        -o "-c listen_addresses='' -c unix_socket_directories='$test_server_dir' -c fsync=off -c max_connections=200" \
        start >/dev/null; then
        echo "test server: the server did not start; the server rows will be skipped"
        cat "$test_server_dir/log"
        stop_test_server
        return 0
    fi
    export VOLMERA_TEST_SERVER="host=$test_server_dir user=$user dbname=postgres"
    if "${as[@]}" psql -Xq "$VOLMERA_TEST_SERVER" \
        -c "CREATE ROLE volmera_clerk LOGIN PASSWORD 'Right Horse 7'" >/dev/null; then
        export VOLMERA_TEST_SERVER_ROLE=volmera_clerk
    fi
    echo "test server: $VOLMERA_TEST_SERVER"
}
