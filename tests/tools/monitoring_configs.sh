#!/bin/sh
# The shipped monitoring files, checked by each engine's own tools, offline and in a scratch
# folder only: the alerting rules by promtool, with their unit tests, and each rule's link to
# the README section on what to do; the Alertmanager example by amtool, with each alert routed
# by its severity; the Icinga 2 and Nagios definitions by a validation run of a minimal
# configuration that uses them. The Nagios command line runs mirelko-check on a profile, and
# every option that either definition gives must be one of mirelko-check's. Exits 77 (skipped)
# when an engine's tool is not installed, after every other check has passed.
# Usage: monitoring_configs.sh MIRELKO_CHECK MONITORING_DIR README SCRATCH_DIR
set -eu
check=$1 dir=$(cd "$2" && pwd) readme=$3 scratch=$4
fail() { echo "FAIL: $*" >&2; exit 1; }
rules=$dir/mirelko.rules.yml
rm -rf "$scratch"
mkdir -p "$scratch"
missing=""
have() { command -v "$1" >/dev/null || { missing="$missing $1"; return 1; }; }

# Each alert with its severity, from the rules file.
awk '/- alert:/ { name = $3 } /severity:/ { print name, $2 }' "$rules" >"$scratch/alerts"
[ "$(wc -l <"$scratch/alerts")" -eq "$(grep -c -- '- alert:' "$rules")" ] ||
  fail "not every alert has a severity: $(cat "$scratch/alerts")"

# GitHub's anchors: lower case, spaces to hyphens, other punctuation dropped.
sed -n 's/^#\{1,6\} //p' "$readme" | tr 'A-Z ' 'a-z-' | tr -cd 'a-z0-9_\n-' >"$scratch/anchors"
for anchor in $(sed -n 's/^ *runbook_url: README\.md#//p' "$rules"); do
  grep -qx -- "$anchor" "$scratch/anchors" || fail "no README section for #$anchor"
done
[ "$(grep -c 'runbook_url: README\.md#' "$rules")" -eq "$(wc -l <"$scratch/alerts")" ] ||
  fail "not every alert links to the README"

if have promtool; then
  promtool check rules "$rules" || fail "promtool check rules"
  promtool test rules "$dir/mirelko.rules.test.yml" || fail "promtool test rules"
fi

if have amtool; then
  amtool check-config "$dir/alertmanager.example.yml" || fail "amtool check-config"
  while read -r alert severity; do
    receiver=administrators
    [ "$severity" = critical ] && receiver=operators
    amtool config routes test --config.file="$dir/alertmanager.example.yml" \
      --verify.receivers=$receiver alertname="$alert" severity="$severity" \
      instance=panel-01:9100 >/dev/null 2>&1 || fail "$alert ($severity) does not go to $receiver"
  done <"$scratch/alerts"
fi

# Every option the definitions give, as mirelko-check's help lists it.
for option in $(grep -ho -- '"--[a-z-]*"\|mirelko-check --[a-z-]*' \
  "$dir/mirelko-check.icinga2.conf" "$dir/mirelko-check.nagios.cfg" | grep -o -- '--[a-z-]*'); do
  "$check" --help | grep -q -- "^  $option " || fail "mirelko-check has no option $option"
done

# The Nagios command on a profile with a box in error, as Nagios would run it.
mkdir -p "$scratch/profile"
printf '[zivazoz]\r\nBox1=1\r\nLocBox1=Tor\r\nBox2=1\r\n' >"$scratch/profile/rurizuz.ini"
printf '[Box1]\r\nWatchDogError=1\r\n' >"$scratch/profile/zivazoz.ini"
line=$(sed -n 's/^ *command_line *//p' "$dir/mirelko-check.nagios.cfg")
[ -n "$line" ] || fail "no command_line in mirelko-check.nagios.cfg"
line=$(printf '%s' "$line" | sed "s|/usr/bin/mirelko-check|$check|; s|\\\$ARG1\\\$|$scratch/profile|; s|\\\$ARG2\\\$|300|")
state=0
out=$(sh -c "$line") || state=$?
[ "$state" -eq 2 ] || fail "$line: exit $state, $out"
case $out in "MIRELKO CRITICAL - watchdog error on 1 of 2 boxes: Box1 (Tor) |"*) ;;
  *) fail "$line: $out" ;; esac

# Minimal configurations that use the shipped files, all they write in the scratch folder.
engines=$(dirname "$0")/monitoring
for file in icinga2.conf nagios.cfg nagios-objects.cfg; do
  sed "s|@dir@|$dir|g; s|@scratch@|$scratch|g; s|@user@|$(id -un)|; s|@group@|$(id -gn)|" \
    "$engines/$file" >"$scratch/$file"
done
if have icinga2; then
  var=$scratch/icinga2
  mkdir -p "$var"
  icinga2 daemon -C -c "$scratch/icinga2.conf" -DConfiguration.ConfigDir="$scratch" \
    -DConfiguration.DataDir="$var" -DConfiguration.LogDir="$var" -DConfiguration.CacheDir="$var" \
    -DConfiguration.SpoolDir="$var" -DConfiguration.InitRunDir="$var" \
    -DConfiguration.RunAsUser="$(id -un)" -DConfiguration.RunAsGroup="$(id -gn)" \
    >"$scratch/icinga2.log" 2>&1 || { cat "$scratch/icinga2.log"; fail "icinga2 daemon -C"; }
fi
if have nagios4; then
  nagios4 -v "$scratch/nagios.cfg" >"$scratch/nagios4.log" 2>&1 ||
    { cat "$scratch/nagios4.log"; fail "nagios4 -v"; }
  grep -q 'Total Warnings: 0' "$scratch/nagios4.log" || { cat "$scratch/nagios4.log"; fail "nagios4 -v warns"; }
fi

if [ -n "$missing" ]; then
  echo "Skipped, not installed:$missing (./build.sh installs them)"
  exit 77
fi
echo "The rules, the Alertmanager example and the Icinga 2 and Nagios definitions are valid."
