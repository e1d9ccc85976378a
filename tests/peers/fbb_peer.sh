#!/usr/bin/env bash
# A real F6FBB packet mailbox (Debian's `fbb`, daemon xfbbd 7.0.11, which scripts/deps.sh installs)
# for the BBS link's tests: one telnet port on 127.0.0.1, no radio hardware, and every file it
# reads or writes in one state folder, so that several runs can each have their own.
#
#   fbb_peer.sh prepare DIR PORT   writes the mailbox into DIR (fresh) and creates, through the
#                                  mailbox itself, the users and the message below (~6 s)
#   fbb_peer.sh serve DIR          runs the mailbox prepared in DIR on its port in the foreground;
#                                  prints "listening on 127.0.0.1:PORT" once a login can start,
#                                  and stops it on TERM, INT or HUP
#
# Users (call / password; the mailbox compares passwords case-blind):
#   G7SYS / SYS123   the sysop, who left message 101 "Sysop notice" for M0ABC
#   M0ABC / ABC123   a user with that message waiting
# The mailbox is GB7BBS.
set -euo pipefail

# The package's helper programs (/usr/lib/<multiarch>/fbb); the test sessions run none of them.
fbblib="$(dpkg -L fbb | sed -n 's|^\(/usr/lib/.*/fbb\)/tool$|\1|p')"
here="$(cd "$(dirname "$0")" && pwd)"
daemon=""

die() {
    echo "fbb_peer: $*" >&2
    exit 1
}

# The daemon's TCP driver: a "Com" line whose address is an IP address binds there and takes the
# baud column as its port; the TNC line gives that port four telnet channels (mode T).
write_ports() {
    cat >"$dir/etc/port.sys" <<PORTS
#Ports TNCs
 1     1
#Com Interface Address      Baud
 1   9         127.0.0.1    $1
#TNC NbCh Com MultCh Pacln Maxfr NbFwd MxBloc M/P-Fwd Mode  Freq
 0   0    0   0      0     0     0     0      00/01   ----  File-fwd.
 1   4    1   0      250   2     1     10     00/60   TUY   Telnet
PORTS
}

write_config() {
    mkdir -p "$dir/etc" "$dir/log" "$dir/var/oldmail" "$dir/var/wp" "$dir/var/sat" "$dir/var/log" \
        "$dir/var/docs" "$dir/var/fbbdos/yapp" "$dir/var/fbbdos/readonly"
    local n
    for n in 0 1 2 3 4 5 6 7 8 9; do
        mkdir -p "$dir/var/mail/mail$n" "$dir/var/binmail/mail$n"
    done
    # The package's own language files and system lists; ports, forwarding and passwords are ours.
    cp -r /etc/ax25/fbb/. "$dir/etc/"
    rm -f "$dir/etc/port.sys.sample"
    write_ports "$1"
    printf '# nothing is forwarded\n' >"$dir/etc/forward.sys"
    printf 'SYS123\n' >"$dir/etc/passwd.sys"
    # mask 3712: the default 3616, plus 128 so that new users may log in over telnet (without it
    # they are offered read-only access, no password prompt), less 32 so that long texts are not
    # paged (they would stop at "ENTER = continue" until a line is sent). housekeeping 99: never
    # (at that hour xfbbd would exit for a maintenance run).
    cat >"$dir/etc/fbb.conf" <<CONF
version = FBB7.0.11
callsign = GB7BBS.GBR.EU
ssid = 0
qraloc = IO91WM
city = London
name = Sam
sysop = G7SYS
loca = 0
config = $dir/etc
data = $dir/var
messages = $dir/var/mail
compressed = $dir/var/binmail
fbbdos = *,*,$dir/var/fbbdos,*,*,*,*,*
yapp = $dir/var/fbbdos/yapp
docs = $dir/var/docs
pg = $fbblib/pg
fdir = $fbblib/filter
sdir = $fbblib/server
tdir = $fbblib/tool
import = $dir/var/mail/mail.in
logs = OK
test = NO
fbbfwd = OK 160
fbbcomp = OK 3
askinfo = OK
mask = 3712
security = 0 4 59
warning = 255
housekeeping = 99
timeout = 10 20
maxdownload = 0 0
beacon = 8
scroll = 1500 1500 1500
maxbids = 30000
lifetime = 30
zipcode = 00000
CONF
}

port_of() {
    awk '$1 == 1 && $2 == 9 { print $4 }' "$dir/etc/port.sys"
}

# Whether something listens on the port: read from the kernel's table, as a connection would
# open a session on the mailbox.
listening() {
    grep -qE "^ *[0-9]+: [0-9A-F]+:$(printf '%04X' "$1") [0-9A-F]+:0000 0A" /proc/net/tcp
}

# Starts xfbbd in the background (it dies with this script whatever ends it) and waits until its
# port listens. Its stdin is a FIFO held open for reading and writing, so that a question it might
# ask waits instead of reading end-of-file over and over. -n: no xfbbC console socket, which would
# listen on every address.
start_daemon() {
    local port
    port="$(port_of)"
    ! listening "$port" || die "127.0.0.1:$port is taken"
    [ -p "$dir/stdin" ] || mkfifo "$dir/stdin"
    (cd "$dir/var" && exec setpriv --pdeathsig KILL /usr/sbin/xfbbd -n -v 0<>"$dir/stdin" \
        >>"$dir/log/xfbbd.log" 2>&1) &
    daemon=$!
    local _
    for _ in $(seq 100); do
        listening "$port" && return 0
        kill -0 "$daemon" 2>/dev/null || break
        sleep 0.1
    done
    stop_daemon
    die "xfbbd did not open 127.0.0.1:$port; see $dir/log/xfbbd.log"
}

stop_daemon() {
    [ -n "$daemon" ] || return 0
    kill -TERM "$daemon" 2>/dev/null || true
    local _
    for _ in $(seq 100); do
        kill -0 "$daemon" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$daemon" 2>/dev/null || true
    wait "$daemon" 2>/dev/null || true
    daemon=""
}

prepare() {
    [ ! -e "$dir" ] || [ -z "$(ls -A "$dir")" ] || die "$dir is not empty"
    [[ "${1:-}" =~ ^[0-9]+$ ]] || die "no port given"
    mkdir -p "$dir"
    write_config "$1"
    # Init mode creates the data files, asking "(Y/N)" for each, and ends with code 2.
    local rc=0
    (cd "$dir/var" && set +o pipefail && yes Y | timeout 60 /usr/sbin/xfbbd -i -n -v >"$dir/log/init.log" 2>&1) || rc=$?
    [ "$rc" = 2 ] || die "xfbbd -i ended with $rc; see $dir/log/init.log"
    # New users are created by logging in, which asks for no password from here while this line
    # is in the list; the mailbox reads the list when it starts, hence the second start in serve.
    printf '127.0.0.1 +\n' >>"$dir/etc/passwd.sys"
    trap stop_daemon EXIT
    start_daemon
    python3 "$here/fbb_users.py" "$(port_of)" >"$dir/log/users.log" 2>&1 ||
        die "creating the users failed: $(tail -n 1 "$dir/log/users.log")"
    stop_daemon
    printf 'SYS123\n' >"$dir/etc/passwd.sys"
    touch "$dir/prepared"
}

serve() {
    [ -f "$dir/prepared" ] || die "$dir was not prepared"
    trap 'stop_daemon; exit 0' TERM INT HUP
    trap stop_daemon EXIT
    start_daemon
    echo "listening on 127.0.0.1:$(port_of)"
    wait "$daemon"
}

[ $# -ge 2 ] || die "usage: fbb_peer.sh prepare DIR PORT | serve DIR"
dir="$(realpath -m "$2")"
export FBBCONF="$dir/etc/fbb.conf"
case "$1" in
prepare) prepare "${3:-}" ;;
serve) serve ;;
*) die "usage: fbb_peer.sh prepare DIR PORT | serve DIR" ;;
esac
