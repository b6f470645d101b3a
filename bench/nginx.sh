# Shared by the shell benchmarks: a private nginx on 127.0.0.1 serving a
# folder, with the sample pages the site rules read. Source it; it defines
# functions and leaves nothing running once the script exits.

bench_need() {  # command package
  command -v "$1" >/dev/null 2>&1 && return
  echo "installing $2..."
  local sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$2" >/dev/null
}

# A private runtime folder, in memory like a desktop's /run/user/UID.
bench_runtime_dir() {
  local dir=/dev/shm/reelcatch-bench-$$
  [ -d /dev/shm ] && [ -w /dev/shm ] || dir=$1/run
  mkdir -p "$dir" && chmod 700 "$dir"
  echo "$dir"
}

bench_free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}

# bench_nginx_start DIR: serves DIR/www; sets BENCH_URL. The access log
# (DIR/access.log) names each request's connection.
bench_nginx_start() {
  local dir=$1 port
  port=$(bench_free_port)
  mkdir -p "$dir/www" "$dir/tmp"
  chmod 755 "$dir"  # the workers may run as another user
  cat >"$dir/nginx.conf" <<CONF
worker_processes 1;
daemon on;
pid $dir/nginx.pid;
error_log $dir/error.log;
events { worker_connections 4096; }
http {
  log_format conn '\$connection \$request';
  access_log $dir/access.log conn;
  client_body_temp_path $dir/tmp;
  proxy_temp_path $dir/tmp;
  fastcgi_temp_path $dir/tmp;
  uwsgi_temp_path $dir/tmp;
  scgi_temp_path $dir/tmp;
  keepalive_requests 1000000;
  sendfile on;
  server { listen 127.0.0.1:$port; root $dir/www; }
}
CONF
  /usr/sbin/nginx -c "$dir/nginx.conf" -p "$dir" 2>/dev/null
  trap "kill \$(cat '$dir/nginx.pid' 2>/dev/null) 2>/dev/null; rm -rf '$dir' /dev/shm/reelcatch-bench-$$" EXIT
  BENCH_URL="http://127.0.0.1:$port"
}

# bench_make_items DIR N SIZE: N videos of SIZE bytes (v/I.flv) and a page
# for each (angryalien.com/I.html); the page addresses in DIR/pages.txt and
# the video addresses in DIR/videos.txt.
bench_make_items() {
  local dir=$1 count=$2 size=$3
  mkdir -p "$dir/www/v" "$dir/www/angryalien.com"
  head -c "$size" /dev/urandom >"$dir/video"
  python3 - "$dir" "$count" "$BENCH_URL" <<'PY'
import os, sys
dir, count, url = sys.argv[1], int(sys.argv[2]), sys.argv[3]
with open(f"{dir}/pages.txt", "w") as pages, open(f"{dir}/videos.txt", "w") as videos:
    for i in range(count):
        os.link(f"{dir}/video", f"{dir}/www/v/{i}.flv")
        with open(f"{dir}/www/angryalien.com/{i}.html", "w") as page:
            page.write(f'<html><embed src="{url}/v/{i}.flv"></html>\n')
        pages.write(f"{url}/angryalien.com/{i}.html\n")
        videos.write(f"{url}/v/{i}.flv\n")
PY
}

# bench_seconds COMMAND...: wall-clock seconds of the command, output dropped.
bench_seconds() {
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1 || echo "  (exit status $? from $1)" >&2
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}

# bench_check NAME VALUE LIMIT: prints the ratio and whether it is within.
bench_check() {
  if awk -v v="$2" -v l="$3" 'BEGIN { exit !(v <= l) }'; then
    printf '  %-44s %6.2fx  (target <= %s) ok\n' "$1" "$2" "$3"
  else
    printf '  %-44s %6.2fx  (target <= %s) MISSED\n' "$1" "$2" "$3"
    BENCH_STATUS=1
  fi
}
