#!/bin/sh
# mirelko-check's metrics where Prometheus meets them: written with --output into a textfile
# directory and served by a real node_exporter, started here on a free loopback port with only
# its textfile collector; and the shipped alerting rules, run by promtool on what it served.
# Exits 77 (skipped) when node_exporter, promtool or curl is not installed.
# Usage: served_metrics.sh MIRELKO_CHECK RULES SCRATCH_DIR
set -eu
check=$1 rules=$2 scratch=$3
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in prometheus-node-exporter promtool curl; do
  command -v $tool >/dev/null || { echo "Skipped: no $tool (./build.sh installs it)"; exit 77; }
done

rm -rf "$scratch"
mkdir -p "$scratch/profile" "$scratch/textfile"
printf '[zivazoz]\r\nBox1=1\r\nLocBox1=Halle "A" \\ 2\r\nBox2=0\r\nBox3=1\r\nLocBox3=Tor S\374d\r\n' \
  >"$scratch/profile/rurizuz.ini"
printf '[Box1]\r\nWatchDogError=1\r\n' >"$scratch/profile/zivazoz.ini"
prom=$scratch/textfile/mirelko.prom
"$check" --format=prometheus --profile-dir "$scratch/profile" --output "$prom" ||
  fail "mirelko-check exited with $?"

# A port that another program holds makes the exporter exit at once; then the next is tried.
exporter=
trap '[ -z "$exporter" ] || kill "$exporter" 2>/dev/null || true' EXIT
port=$((20000 + $$ % 20000))
for attempt in 1 2 3 4 5 6 7 8 9 10; do
  prometheus-node-exporter --web.listen-address="127.0.0.1:$port" --collector.disable-defaults \
    --collector.textfile --collector.textfile.directory="$scratch/textfile" \
    2>"$scratch/exporter.log" &
  exporter=$!
  tries=0
  while [ $tries -lt 50 ] && kill -0 "$exporter" 2>/dev/null; do
    if curl -fsS "http://127.0.0.1:$port/metrics" >"$scratch/scrape" 2>/dev/null &&
      kill -0 "$exporter" 2>/dev/null; then
      break 2
    fi
    tries=$((tries + 1))
    sleep 0.1
  done
  kill "$exporter" 2>/dev/null || true
  wait "$exporter" || true
  exporter=
  port=$((port + 1))
done
[ -n "$exporter" ] || { cat "$scratch/exporter.log" >&2; fail "node_exporter did not serve"; }
echo "node_exporter on 127.0.0.1:$port serves:"
grep -E '^(node_textfile_(scrape_error|mtime_seconds)|mirelko_)' "$scratch/scrape"

grep -qx 'node_textfile_scrape_error 0' "$scratch/scrape" || fail "node_exporter could not read $prom"
ours='^(# (HELP|TYPE) )?mirelko_'
# node_exporter writes large numbers in exponent notation: the values are compared as numbers.
numbers='/^#/ { print; next } { value = $NF; sub(/ [^ ]*$/, ""); printf "%s %.15g\n", $0, value }'
grep -E "$ours" "$prom" | awk "$numbers" | sort >"$scratch/written"
grep -E "$ours" "$scratch/scrape" | awk "$numbers" | sort >"$scratch/served"
diff "$scratch/written" "$scratch/served" >&2 || fail "node_exporter serves other mirelko_ lines"
grep -qxF 'mirelko_box_watchdog_error{box="Box1",location="Halle \"A\" \\ 2"} 1' \
  "$scratch/served" || fail "no watchdog error of Box1 served"

# The shipped alerting rules on what was served, labelled as Prometheus would label it, at times
# counted from the check's run. While the timer runs, only the box in error fires; once it
# stops, the file served on shows it. The check's own time is left out there, so that
# node_exporter's time of the file, under the name it gives the file, has to show it alone.
base=$(sed -n 's/^mirelko_check_run_timestamp_seconds //p' "$scratch/scrape")
[ -n "$base" ] || fail "no mirelko_check_run_timestamp_seconds served"
series() { # $1: what the timestamps do every 30 s: +30 (rewritten) or nothing (frozen); $2: left out
  echo "      - {series: 'up{instance=\"panel:9100\",job=\"mirelko\"}', values: 1x40}"
  grep -E '^(mirelko_|node_textfile_mtime_seconds)' "$scratch/scrape" | grep -v "^${2:-#}" |
    awk -v base="$base" -v step="$1" '{
      value = $NF; sub(/ [^ ]*$/, "")
      if (index($0, "{")) sub(/\{/, "{instance=\"panel:9100\",job=\"mirelko\",")
      else $0 = $0 "{instance=\"panel:9100\",job=\"mirelko\"}"
      values = value "x40"
      if ($0 ~ /^(mirelko_[a-z_]*_timestamp_seconds|node_textfile_mtime_seconds)\{/)
        values = sprintf("%.0f%sx40", value - base, step)
      printf "      - {series: '\''%s'\'', values: %s}\n", $0, values
    }'
}
firing() { # $@: the alerts expected at 10 minutes
  echo "    promql_expr_test:"
  echo "      - {eval_time: 10m, expr: 'count by (alertname) (ALERTS{alertstate=\"firing\"})', exp_samples: ["
  for alert in "$@"; do echo "          {labels: '{alertname=\"$alert\"}', value: 1},"; done
  echo "        ]}"
}
cp "$rules" "$scratch/mirelko.rules.yml"
{
  echo "rule_files: [mirelko.rules.yml]"
  echo "evaluation_interval: 30s"
  echo "tests:"
  echo "  - interval: 30s"
  echo "    input_series:"
  series +30
  firing MirelkoBoxWatchdogError
  echo "  - interval: 30s"
  echo "    input_series:"
  series "" mirelko_check_run_timestamp_seconds
  firing MirelkoBoxWatchdogError MirelkoCheckNotRunning MirelkoStatusFileStale
} >"$scratch/rules_test.yml"
(cd "$scratch" && promtool test rules rules_test.yml) || { cat "$scratch/rules_test.yml"; fail "promtool test rules"; }
echo "Served whole, and the shipped alerting rules fire on it as they should."
