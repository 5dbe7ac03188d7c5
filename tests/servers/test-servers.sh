#!/usr/bin/env bash
# Starts or stops the real servers of the integration tests on loopback high ports:
# nginx (the static site over http; an https site, and the same server with a certificate for
# another name and with an expired one, from a test CA made at each start in RUNDIR/tls),
# tinyproxy (open, and with credentials) and vsftpd: active and passive mode (passive ports on
# loopback), explicit TLS with the test CA's certificate offered on one port and forced on another.
#   test-servers.sh start RUNDIR   |   test-servers.sh stop RUNDIR
# RUNDIR must end in "/test-servers".
# The ports are fixed so that tests and tools find them; see tests/support/TestServers.h.
set -u
here=$(cd "$(dirname "$0")" && pwd)
action=${1:?start or stop}
run=${2:?run folder}
HTTP_PORT=18080
TLS_PORT=18443
TLS_WRONG_NAME_PORT=18444
TLS_EXPIRED_PORT=18445
PROXY_PORT=18888
PROXY_AUTH_PORT=18889
FTP_PORT=18021
FTP_TLS_PORT=18022
# Passive data ports: the first half for the plain-allowing server, the second for the other.
FTP_PASV_MIN=18100
FTP_PASV_MAX=18139
FTP_USER=sgftp
FTP_PASSWORD=sgftp-pass
ALL_PORTS="$HTTP_PORT $TLS_PORT $TLS_WRONG_NAME_PORT $TLS_EXPIRED_PORT $PROXY_PORT $PROXY_AUTH_PORT
    $FTP_PORT $FTP_TLS_PORT"

stop_pid() {
    [ -f "$1" ] && kill "$(cat "$1")" 2>/dev/null
    rm -f "$1"
}

if [ "$action" = stop ]; then
    stop_pid "$run/nginx.pid"
    stop_pid "$run/tinyproxy-$PROXY_PORT.pid"
    stop_pid "$run/tinyproxy-$PROXY_AUTH_PORT.pid"
    # Servers left by another build folder hold the same fixed ports.
    pkill -f 'nginx -c .*/test-servers/nginx.conf' 2>/dev/null
    pkill -f 'tinyproxy -c .*/test-servers/tinyproxy-' 2>/dev/null
    pkill -f 'vsftpd .*/test-servers/vsftpd(-tls)?.conf' 2>/dev/null
    rm -f "$run/vsftpd.pid"
    for _ in $(seq 30); do
        busy=0
        for port in $ALL_PORTS; do
            (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && busy=1
        done
        [ $busy = 0 ] && break
        sleep 0.1
    done
    exit 0
fi

"$0" stop "$run"
mkdir -p "$run" "$run/empty" "$run/ftp"
chmod 755 "$run"
rm -rf "$run/site"
cp -r "$here/site" "$run/site"
# An 8 MiB page for the fetch benchmark and the body cap.
head -c 8388608 /dev/zero | tr '\0' 'x' | fold -w 100 > "$run/site/big.txt"
# Real documentation none of us wrote, for the crawl's corpus test: a copy of each package's
# pages with up to six files of each kind (page, image, stylesheet, script) removed, mail links
# stripped and every other site's address pointed at a closed loopback port.
for name in flask werkzeug; do
    src="/usr/share/doc/python-$name-doc/html"
    [[ -d "$src" ]] || continue
    dst="$run/site/corpus/$name"
    mkdir -p "$dst"
    cp -rL "$src/." "$dst/" 2>/dev/null || true
    for ext in html png css js; do
        (cd "$dst" && find . -name "*.$ext" ! -path ./index.html | LC_ALL=C sort |
            awk 'NR % 2 == 0' | head -6 | xargs -r rm -f)
    done
    find "$dst" -name '*.html' -exec sed -i -e 's/href="mailto:[^"]*"/href=""/g' \
        -e 's#\(href\|src\)="https\?://[^"/]*#\1="http://127.0.0.1:9#g' {} +
done
chmod -R a+rX "$run/site"

rm -rf "$run/tls-site"
cp -r "$here/tls-site" "$run/tls-site"
chmod -R a+rX "$run/tls-site"

subst() {
    sed -e "s|@RUN@|$run|g" -e "s|@SITE@|$run/site|g" -e "s|@TLS@|$run/tls|g" \
        -e "s|@HTTP_PORT@|$HTTP_PORT|g" -e "s|@TLS_PORT@|$TLS_PORT|g" \
        -e "s|@TLS_WRONG_NAME_PORT@|$TLS_WRONG_NAME_PORT|g" \
        -e "s|@TLS_EXPIRED_PORT@|$TLS_EXPIRED_PORT|g" \
        -e "s|@FTP_ROOT@|$run/ftp|g" "$@"
}

# NAME SUBJECT-ALT-NAMES [START END]: tls/NAME.key and tls/NAME.pem, signed by the test CA.
server_certificate() {
    local tls=$run/tls
    openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$tls/$1.key" &&
        openssl req -new -config "$tls/ca.cnf" -key "$tls/$1.key" -subj "/CN=$1" \
            -out "$tls/$1.csr" &&
        SG_CERT_NAMES=$2 openssl ca -batch -notext -config "$tls/ca.cnf" \
            -extensions server_cert -in "$tls/$1.csr" -out "$tls/$1.pem" \
            ${3:+-startdate "$3" -enddate "$4"}
}

# A fresh test CA and the servers' certificates, EC P-256 so that this stays quick: good for
# 127.0.0.1 and localhost, other for another name only, expired for the right names but long
# past its end. Tests trust the CA through SSL_CERT_FILE=tls/ca.pem.
make_certificates() {
    local tls=$run/tls
    rm -rf "$tls"
    mkdir -p "$tls/issued" || return 1
    : > "$tls/index.txt"
    echo 1000 > "$tls/serial"
    subst "$here/test-ca.cnf.in" > "$tls/ca.cnf"
    # Every openssl run that reads the configuration needs the variable it names.
    export SG_CERT_NAMES=none
    {
        openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$tls/ca.key" &&
            openssl req -new -x509 -config "$tls/ca.cnf" -extensions ca_cert \
                -key "$tls/ca.key" -days 30 -out "$tls/ca.pem" &&
            server_certificate good "IP:127.0.0.1,DNS:localhost" &&
            server_certificate other "DNS:other.invalid" &&
            server_certificate expired "IP:127.0.0.1,DNS:localhost" 20200101000000Z 20200201000000Z
    } > "$tls/openssl.log" 2>&1 || { cat "$tls/openssl.log" >&2; return 1; }
    chmod a+r "$tls"/*.pem
}

failed=0
make_certificates || failed=1
if command -v nginx >/dev/null; then
    subst "$here/nginx.conf.in" > "$run/nginx.conf"
    nginx -c "$run/nginx.conf" -e "$run/nginx-error.log" || failed=1
fi
if command -v tinyproxy >/dev/null; then
    for port in $PROXY_PORT $PROXY_AUTH_PORT; do
        auth=""
        [ "$port" = $PROXY_AUTH_PORT ] && auth="BasicAuth proxyuser proxypass"
        subst "$here/tinyproxy.conf.in" | sed -e "s|@PORT@|$port|g" -e "s|@AUTH@|$auth|" \
            > "$run/tinyproxy-$port.conf"
        [ "$(id -u)" = 0 ] && printf 'User root\nGroup root\n' >> "$run/tinyproxy-$port.conf"
        tinyproxy -c "$run/tinyproxy-$port.conf" || failed=1
    done
fi
if command -v vsftpd >/dev/null && [ "$(id -u)" = 0 ]; then
    # A local user for the FTP log-in; its home is the FTP root.
    if ! id "$FTP_USER" >/dev/null 2>&1; then
        useradd --no-create-home --home-dir "$run/ftp" --shell /bin/sh "$FTP_USER" || failed=1
    fi
    echo "$FTP_USER:$FTP_PASSWORD" | chpasswd || failed=1
    chown "$FTP_USER" "$run/ftp"
    half=$(((FTP_PASV_MIN + FTP_PASV_MAX) / 2))
    for server in "vsftpd $FTP_PORT NO $FTP_PASV_MIN $half" \
        "vsftpd-tls $FTP_TLS_PORT YES $((half + 1)) $FTP_PASV_MAX"; do
        set -- $server
        subst "$here/vsftpd.conf.in" | sed -e "s|@FTP_PORT@|$2|g" -e "s|@FTP_FORCE_TLS@|$3|g" \
            -e "s|@FTP_PASV_MIN@|$4|g" -e "s|@FTP_PASV_MAX@|$5|g" > "$run/$1.conf"
        vsftpd "$run/$1.conf" || failed=1
    done
    touch "$run/vsftpd.pid"
fi

# Wait until every port answers.
for port in $ALL_PORTS; do
    for _ in $(seq 50); do
        (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
        sleep 0.1
    done
done
exit $failed
