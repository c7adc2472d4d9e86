#!/usr/bin/env bash
# A private CUPS scheduler for trying the printing by hand or from CI:
#   scripts/cups-private-server.sh start DIR [PORT]   prints CUPS_SERVER=... and the pid
#   scripts/cups-private-server.sh stop DIR
# It runs in the foreground as a child of this script's background job, keeps
# everything in DIR and offers one printer, "quillo-pdf", writing DIR/out/quillo-pdf.pdf.
set -euo pipefail

cmd=${1:-}; dir=${2:-}
[ -n "$cmd" ] && [ -n "$dir" ] || { echo "usage: $0 start|stop DIR [PORT]" >&2; exit 2; }

case "$cmd" in
start)
    port=${3:-$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')}
    mkdir -p "$dir"/{spool/tmp,cache,state,log,out}
    dir=$(cd "$dir" && pwd)
    chmod 0755 "$dir"; chmod 0777 "$dir/out"
    user=lp; group=lp; sysgroup=root
    if [ "$(id -u)" != 0 ]; then user=$(id -un); group=$(id -gn); sysgroup=$group; fi
    cat > "$dir/cupsd.conf" <<CONF
Listen 127.0.0.1:$port
LogLevel warn
WebInterface No
Browsing No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
    cat > "$dir/cups-files.conf" <<CONF
ServerRoot $dir
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
ServerBin /usr/lib/cups
DataDir /usr/share/cups
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
Printcap $dir/printcap
FileDevice Yes
User $user
Group $group
SystemGroup $sysgroup
CONF
    /usr/sbin/cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" > "$dir/log/stdout" 2>&1 &
    echo $! > "$dir/cupsd.pid"
    for _ in $(seq 100); do
        lpstat -h "127.0.0.1:$port" -r > /dev/null 2>&1 && break
        sleep 0.1
    done
    lpadmin -h "127.0.0.1:$port" -p quillo-pdf -E -v "file://$dir/out/quillo-pdf.pdf" \
        -P /usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd 2> /dev/null
    lpadmin -h "127.0.0.1:$port" -d quillo-pdf
    echo "CUPS_SERVER=127.0.0.1:$port"
    echo "pid $(cat "$dir/cupsd.pid")"
    ;;
stop)
    [ -f "$dir/cupsd.pid" ] || exit 0
    pid=$(cat "$dir/cupsd.pid")
    kill "$pid" 2> /dev/null || true
    for _ in $(seq 100); do kill -0 "$pid" 2> /dev/null || break; sleep 0.1; done
    rm -f "$dir/cupsd.pid"
    ;;
*)
    echo "usage: $0 start|stop DIR [PORT]" >&2; exit 2 ;;
esac
