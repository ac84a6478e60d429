#!/usr/bin/env bash
# Checks the installed lapora package as a user meets it: starts lapora and lpmrep through their desktop
# entries' Exec lines, in a fresh home folder on Qt's offscreen platform, and waits for each one's first
# window (Lapora's first question); ~/Lapora must then hold the three data files, the country table filled,
# and a second start must leave them as they are. The programs' window trace (Qt logging rule
# lapora.windows) tells which window came up.
set -euo pipefail

apps=/usr/share/applications
home=$(mktemp -d)
pid=""
cleanup() {
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null || true
    fi
    rm -rf "$home"
}
trap cleanup EXIT
mkdir -m 700 "$home/run"
export HOME="$home" XDG_RUNTIME_DIR="$home/run" QT_QPA_PLATFORM=offscreen
export QT_LOGGING_RULES="lapora.windows.debug=true"

fail() {
    echo "package-smoke: $*" >&2
    exit 1
}

# Starts a desktop entry's Exec line from / and waits (at most 30 s) until the program shows the window
# given as a line of its trace; then ends the program.
start_until() {
    local entry=$apps/$1 want=$2 log=$home/$1.log cmd
    [ -f "$entry" ] || fail "$entry is not installed"
    cmd=$(sed -n 's/^Exec=//p' "$entry")
    case "$cmd" in
    "" | *%*) fail "$entry: unexpected Exec line '$cmd'" ;;
    esac
    # The launcher execs the program, so $! ends up being the program itself. (Word splitting intended.)
    # shellcheck disable=SC2086
    (cd / && exec $cmd) >"$log" 2>&1 &
    pid=$!
    for _ in $(seq 1 300); do
        if grep -qF -- "$want" "$log"; then
            kill "$pid"
            wait "$pid" 2>/dev/null || true
            pid=""
            echo "package-smoke: $1: $want"
            return 0
        fi
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    cat "$log" >&2
    fail "$1 did not show: $want"
}

countries() {
    sqlite3 "$HOME/Lapora/lapora.mdb" "SELECT count(*) FROM Orszagjel"
}

start_until lapora.desktop \
    'shown QMessageBox "FIGYELEM! Új üres sor kérése!" "Kér most új adatot (üres sort)?"'
for f in lapora.mdb Parameter.lpb Regiszt.lpb; do
    [ -s "$HOME/Lapora/$f" ] || fail "$HOME/Lapora/$f is missing"
done
[ "$(countries)" -gt 0 ] || fail "the country table of $HOME/Lapora/lapora.mdb is empty"

# A changed data file stays as it is on the next start (a fresh copy would bring the countries back).
sqlite3 "$HOME/Lapora/lapora.mdb" "DELETE FROM Orszagjel"
start_until lpmrep.desktop 'shown lapora::LPMRepX "LPMRep Adatbázis frissítése/javítása - Lapora"'
[ "$(countries)" -eq 0 ] || fail "the second start wrote over $HOME/Lapora/lapora.mdb"
[ -z "$(find "$HOME/Lapora" -maxdepth 1 -name 'SAVE-*')" ] || fail "lpmrep ran without being asked"
echo "package-smoke: passed"
