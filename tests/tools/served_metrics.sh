#!/bin/sh
# mirelko-check's metrics where Prometheus meets them: written with --output into a textfile
# directory and served by a real node_exporter, started here on a free loopback port with only
# its textfile collector; and the README's alerting rules, run by promtool on such metrics.
# Exits 77 (skipped) when node_exporter, promtool or curl is not installed.
# Usage: served_metrics.sh MIRELKO_CHECK README SCRATCH_DIR
set -eu
check=$1 readme=$2 scratch=$3
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
grep -E '^(node_textfile_scrape_error|mirelko_)' "$scratch/scrape"

grep -qx 'node_textfile_scrape_error 0' "$scratch/scrape" || fail "node_exporter could not read $prom"
ours='^(# (HELP|TYPE) )?mirelko_'
grep -E "$ours" "$prom" | sort >"$scratch/written"
grep -E "$ours" "$scratch/scrape" | sort >"$scratch/served"
diff "$scratch/written" "$scratch/served" >&2 || fail "node_exporter serves other mirelko_ lines"
grep -qxF 'mirelko_box_watchdog_error{box="Box1",location="Halle \"A\" \\ 2"} 1' \
  "$scratch/served" || fail "no watchdog error of Box1 served"

# The README's one YAML block: the alerting rules.
sed -n '/^```yaml$/,/^```$/p' "$readme" | sed '1d;$d' >"$scratch/rules.yml"
promtool check rules "$scratch/rules.yml" || fail "promtool check rules"
cat >"$scratch/rules_test.yml" <<'TESTS'
rule_files: [rules.yml]
evaluation_interval: 30s
tests:
  - interval: 30s
    input_series:
      - series: 'mirelko_box_watchdog_error{box="Box3",location="Tor Süd"}'
        values: 0 1 1 1 1 1 1 1 1 1 1 1 1 1
      - series: mirelko_status_file_age_seconds
        values: 0+30x13
      - series: mirelko_status_file_present
        values: 1x13
      - series: mirelko_read_success
        values: 1x13
    alert_rule_test:
      - {eval_time: 2m, alertname: MirelkoBoxWatchdogError}
      - eval_time: 3m
        alertname: MirelkoBoxWatchdogError
        exp_alerts:
          - exp_labels: {box: Box3, location: Tor Süd}
            exp_annotations: {summary: Box3 (Tor Süd) reports a watchdog error}
      - {eval_time: 5m, alertname: MirelkoStatusFileStale}
      - eval_time: 5m30s
        alertname: MirelkoStatusFileStale
        exp_alerts:
          - exp_annotations: {summary: The box status file was not written for 5 minutes}
      - {eval_time: 5m30s, alertname: MirelkoNotRead}
  - interval: 30s
    input_series:
      - series: mirelko_read_success
        values: 0x4
      - series: mirelko_status_file_present
        values: 0x4
    alert_rule_test:
      - eval_time: 0m
        alertname: MirelkoStatusFileStale
        exp_alerts:
          - exp_annotations: {summary: The box status file was not written for 5 minutes}
      - {eval_time: 1m30s, alertname: MirelkoNotRead}
      - eval_time: 2m
        alertname: MirelkoNotRead
        exp_alerts:
          - exp_annotations: {summary: mirelko-check cannot read the profile files (see its log)}
TESTS
(cd "$scratch" && promtool test rules rules_test.yml) || fail "promtool test rules"
echo "Served whole, and the alerting rules fire as they should."
