#!/usr/bin/env bash
# Remakes the pictures of the settings, log and staging windows in docs/: the real lapora on a sample working
# folder, under a virtual display (Xvfb), driven through its menus with xdotool.
# Usage: scripts/window-pictures.sh [display number, default 75]
set -euo pipefail
for tool in Xvfb xdotool import sqlite3; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (Debian: xvfb, xdotool, imagemagick, sqlite3)" >&2; exit 1; }
done
root="$(cd "$(dirname "$0")/.." && pwd)"
display=":${1:-75}"
bin="$root/build/bin"
work="$(mktemp -d)"
trap 'kill "$lapora" "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT

"$bin/lapora_init" "$work" >/dev/null
sql() { sqlite3 "$work/$1" "$2"; }
sql Parameter.lpb "INSERT INTO EmblemaPath (FakturoNextPath, Evszam, Datumkod, Penznem, TaroloPath, KépernyöMérete,
    SorszámKiegészités, ÁllandóSzöveg) VALUES ('/srv/fakturo', '2013', '20130507', 'HUF', '/srv/tarolo', 'N', '/2013',
    'Köszönjük, hogy minket választott!');"
sql Regiszt.lpb "INSERT INTO Regisztrálás (Felhasználó, AkcióDátuma, AkcióIdeje, Akció, Path, JogosultságiSzint,
    rekordID, Számlaszám, OkmányTipus) VALUES
    ('', '2013-05-06', '08:02:11', 'Új címzett', '$work', 0, 'CimzettForm', 0, 'Lapora'),
    ('', '2013-05-06', '08:05:40', 'Adatmentés', '$work', 0, 'LaporaX', 0, 'Lapora'),
    ('', '2013-05-06', '08:06:02', 'Lap nyomtatása', '$work', 0, 'LaporaX', 0, 'Lapora'),
    ('', '2013-05-07', '09:15:30', 'Képernyőméret változtatása', '$work', 0, 'ParameterFormX', 0, 'Lapora');"
sql lapora.mdb "INSERT INTO Laporak (Dátum, Idő, CégNeve, ElvégzettMunka, MunkalapSzáma) VALUES
    ('2013-05-06', '08:00:00', 'Alfa Kft.', 'Nyomtató javítása', '101');"
sql lapora.mdb "INSERT INTO SzamlaAthozat (Sorszám, Szamlaszam, CegNev, CegCim, Megnevezes, Netto, AFA, Brutto,
    Datumtol, Datumig, Adatfelvetel, Devizanem, RészÖsszeg, recordID, FizetésMódja, Mennyiség) VALUES
    (1, 1250, 'Alfa Kft.', 'Eger, Fő u. 1.', 'Festékkazetta', 12000, 27, 15240, '2013-05-02', '2013-05-02',
     '2013-05-06', 'HUF', 0, '201356 29531,5', 'készpénzes', 2),
    (2, 1251, 'Béta Bt.', 'Győr, Tó u. 3.', 'Hálózati kábel 5 m', 1500, 27, 1905, '2013-05-03', '2013-05-03',
     '2013-05-06', 'HUF', 0, '201356 29531,5', 'átutalásos', 4),
    (3, 1252, 'Cékla Zrt.', 'Pécs, Kert u. 9.', 'Szerviz óradíj', 8000, 27, 10160, '2013-05-04', '2013-05-04',
     '2013-05-06', 'HUF', 0, '201356 29532,6', 'átutalásos', 3);"

Xvfb "$display" -screen 0 1600x1000x24 >/dev/null 2>&1 &
xvfb=$!
sleep 1
export DISPLAY="$display"
(cd "$work" && exec "$bin/lapora") >/dev/null 2>&1 &
lapora=$!
sleep 2
# Keys go to the window that has the focus; with no window manager the script gives it.
focus() {
    local id=""
    for _ in $(seq 20); do
        id="$(xdotool search --name "$1" 2>/dev/null | head -1 || true)"
        [ -n "$id" ] && break
        sleep 0.25
    done
    [ -n "$id" ] || { echo "no window \"$1\"" >&2; exit 1; }
    xdotool windowfocus --sync "$id"
    echo "$id"
}
focus "^FIGYELEM! Új üres sor" >/dev/null
xdotool key alt+n # no new job sheet
sleep 1

# Opens a window through the main menu's keys, photographs it and closes it with its own keys.
picture() {
    local title="$1" out="$2" close="$3"
    shift 3
    focus "^Lapora V" >/dev/null
    xdotool key --delay 200 "$@"
    local id
    id="$(focus "^$title\$")"
    sleep 1
    import -window "$id" "$root/docs/$out"
    xdotool key "$close"
    sleep 1
}

picture "Beállítások - Lapora" settings-window.png alt+k alt+z Return
picture "Napló állomány - Lapora" log-window.png alt+v alt+z Down Return
picture "Adat áthozatal más rendszerekből, adatok kezelése - Lapora - Mintaverk" staging-window.png alt+k \
    alt+a Up Return
echo "pictures in $root/docs"
