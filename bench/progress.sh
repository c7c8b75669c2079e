# The cost of one update of the progress display (drawProgressBar, showStatus) against the
# cost of one 10240-byte InternetReadFile from nginx on 127.0.0.1, all in one run under Wine.
set -uo pipefail
work=$(mktemp -d)
nginx_pid=
cleanup() {
  [ -n "$nginx_pid" ] && kill "$nginx_pid" 2>/dev/null && wait "$nginx_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/www"
head -c $((8 * 1024 * 1024)) /dev/urandom >"$work/www/package.zip"
port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat >"$work/nginx.conf" <<CONF
daemon off;
master_process off;
worker_processes 1;
pid $work/nginx.pid;
error_log $work/error.log;
events { worker_connections 64; }
http {
  access_log off;
  client_body_temp_path $work/tmp;
  proxy_temp_path $work/tmp;
  fastcgi_temp_path $work/tmp;
  uwsgi_temp_path $work/tmp;
  scgi_temp_path $work/tmp;
  server {
    listen 127.0.0.1:$port;
    root $work/www;
  }
}
CONF
mkdir -p "$work/tmp"
nginx -c "$work/nginx.conf" -p "$work" &
nginx_pid=$!
for _ in $(seq 50); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  sleep 0.1
done

# Output through a file: Wine's background processes may hold a pipe open.
"$WINE" build/win64/progress_bench.exe "http://127.0.0.1:$port/package.zip" \
  >"$work/out" 2>/dev/null
status=$?
cat "$work/out"
exit $status
