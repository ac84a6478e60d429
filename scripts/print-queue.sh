#!/usr/bin/env bash
# A print queue for the tests: a CUPS scheduler with a default "PDF" queue that writes every job as a PDF file.
#   start  starts the scheduler (unless one runs already) and makes "PDF" the default queue
#   stop   stops the scheduler that start started
#   out    prints the folder where the queue writes the jobs of the current user
# cups and printer-driver-cups-pdf come from install-deps.sh; nothing is installed here.
set -euo pipefail

pidfile="${LAPORA_PRINT_QUEUE_PIDFILE:-/tmp/lapora-print-queue.pid}"
queue=PDF
conf=/etc/cups/cups-pdf.conf

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi

running() {
    lpstat -r 2>/dev/null | grep -q "is running"
}

# cups-pdf's "Out" setting for the jobs of the current user (cups-pdf puts in the job owner's home and name).
out_dir() {
    local out user home
    out=$(sed -n 's/^[[:space:]]*Out[[:space:]]\+//p' "$conf" 2>/dev/null | tail -n 1)
    if [ -z "$out" ]; then
        out='/var/spool/cups-pdf/${USER}'
    fi
    user=$(id -un)
    home=$(getent passwd "$user" | cut -d: -f6)
    out=$(printf '%s' "$out" | sed "s|\${HOME}|$home|g; s|\${USER}|$user|g")
    echo "${out%/}"
}

start() {
    if ! running; then
        $sudo mkdir -p /run/cups
        $sudo /usr/sbin/cupsd -f </dev/null >/dev/null 2>&1 &
        echo $! >"$pidfile"
        for _ in $(seq 1 100); do
            running && break
            sleep 0.1
        done
        if ! running; then
            echo "print-queue: the scheduler did not start" >&2
            exit 1
        fi
    fi
    if ! lpstat -p "$queue" >/dev/null 2>&1; then
        $sudo lpadmin -p "$queue" -v cups-pdf:/ -E -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd
    fi
    # The default PostScript step turns fonts into unsearchable glyphs; this one keeps the page's text.
    $sudo lpadmin -p "$queue" -o pdftops-renderer-default=pdftocairo
    $sudo cupsenable "$queue"
    $sudo cupsaccept "$queue"
    lpoptions -d "$queue" >/dev/null
    echo "print-queue: default queue $queue writes into $(out_dir)"
}

stop() {
    [ -f "$pidfile" ] || return 0
    local pid
    pid=$(cat "$pidfile")
    if kill -0 "$pid" 2>/dev/null; then
        $sudo kill "$pid"
        for _ in $(seq 1 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
    fi
    rm -f "$pidfile"
}

case "${1:-}" in
start) start ;;
stop) stop ;;
out) out_dir ;;
*)
    echo "usage: $0 start|stop|out" >&2
    exit 2
    ;;
esac
