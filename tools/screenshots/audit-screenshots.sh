#!/usr/bin/env bash
# audit-screenshots.sh SITEGAUGE_CLI OUT_DIR: the Site Audit of two real documentation sites
# from Debian packages (python-flask-doc and python-werkzeug-doc), served by nginx on loopback,
# and a headless Chromium picture of its summary page and of the first site's page. Run it
# where nothing else holds PORT (default 18990 and the next), e.g. inside `unshare --net`.
set -euo pipefail
cli=$(realpath "$1")
out=$(realpath "$2")
port=${PORT:-18990}
sites=(/usr/share/doc/python-flask-doc/html /usr/share/doc/python-werkzeug-doc/html)
work=$(mktemp -d)
nginx_pid=
cleanup() {
    [[ -n $nginx_pid ]] && kill "$nginx_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

servers=
for i in 0 1; do
    servers+="server { listen 127.0.0.1:$((port + i)); root ${sites[$i]}; }"$'\n'
done
cat >"$work/nginx.conf" <<CONF
worker_processes 1;
daemon off;
pid $work/nginx.pid;
error_log $work/error.log;
events { worker_connections 256; }
http {
    include /etc/nginx/mime.types;
    access_log off;
    client_body_temp_path $work; proxy_temp_path $work; fastcgi_temp_path $work;
    uwsgi_temp_path $work; scgi_temp_path $work;
    $servers
}
CONF
nginx -c "$work/nginx.conf" -p "$work" &
nginx_pid=$!
for _ in $(seq 50); do
    (exec 3<>"/dev/tcp/127.0.0.1/$((port + 1))") 2>/dev/null && break
    sleep 0.1
done

summary=$("$cli" --workdir "$work/w" audit --name "Documentation" \
    --url "127.0.0.1:$port/index.html" --url "127.0.0.1:$((port + 1))/index.html" 2>/dev/null |
    tail -1)
shot() {
    chromium --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
        --disable-component-update --disable-sync --user-data-dir="$work/chromium" \
        --hide-scrollbars --window-size="$3" --screenshot="$out/$1" "file://$2" >/dev/null 2>&1
    echo "$out/$1"
}
shot report-audit-summary.png "$summary" 1200,1900
# The first site's page: the summary's first column header links to it.
first=$(grep -o '<th class="num"><a href="[^"]*"' "$summary" | head -1 | sed 's/.*href="//; s/"$//')
shot report-audit-site.png "$(dirname "$summary")/$first" 1200,1500
