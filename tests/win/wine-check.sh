#!/usr/bin/env bash
# Runs the Windows backends (vt_wincheck.exe, a MinGW-w64 build of the *_win.cpp files) under
# Wine, inside a chain of network namespaces made for this run:
#     <tag>-h (Wine, 10.201.1.2) -- <tag>-r (router) -- <tag>-t (target, 10.201.2.2)
# with IPv6 beside it (fd77:1::2 -- fd77:1::1 / fd77:2::1 -- fd77:2::2). The prefix is fresh, its wineserver starts inside <tag>-h, and the adapters Wine lists are checked
# to be that namespace's before anything is sent (tests/win/wine-ns.sh). The host has a second
# adapter toward the router (10.201.3.1). Exit 0 all passed, 1 a check failed, 77 skipped.
set -uo pipefail
. "$(dirname "$0")/wine-ns.sh"

exe=${1:-}
vt_wine_need
[ -n "$exe" ] && [ -f "$exe" ] ||
    skip "no Windows check program at '$exe': ./test.sh builds it when g++-mingw-w64-x86-64 is installed"

work=$(mktemp -d /tmp/vt-win-XXXXXX)
vt_cleanups+=("rm -rf '$work'")
prefix=$work/prefix
vt_chain_up vt-win-$$

# --- Wine, started inside the namespace ----------------------------------------------------
vt_wine_server "$H" "$prefix"
win() {  # win <command> [args]: one run of the check program in the namespace
    LC_ALL="${lc:-C}" vt_wine "$H" "$prefix" "$exe" "$@" 2>/dev/null | tr -d '\r'
}
echo "--- creating the Wine prefix in $H"
adapters=$(win adapters)
echo "$adapters"
echo "(prefix made and adapters listed at ${SECONDS}s)"
vt_wine_confined "$H" "$prefix"
# Only this namespace's adapters (the loopback is not an adapter to the IP Helper API).
vt_chain_adapters_check "$adapters"

# --- everything else in one start of the program (Wine starts are slow) -----------------------
index=$(grep -E '^adapter\|index=[0-9]+\|desc=vwh0\|' <<<"$adapters" | cut -d'|' -f2 | cut -d= -f2)
# The router's link-local address on the host's link, with the zone of the host's adapter.
router_ll=$(ip -n "$R" -6 -o addr show dev vwr0 scope link | grep -oE 'fe80::[0-9a-f:]+')%$index
v6runs=(
    "echo ::1"
    "echo fd77:2::2 - - 2000 1200 3"
    "trace fd77:2::2 5"
    "echo fd77:2::99 - - 500"
    "echo fd88::1 - - 2000"
    "echo $router_ll"
)
runs=(
    "echo 127.0.0.1"
    "echo 10.201.2.2 10.201.3.1 - 2000 - 2"
    "echo 10.201.2.2 - - 2000 1200 3"
    "trace 10.201.2.2 5"
    "echo 10.201.2.99 - - 500"
    "echo 10.88.0.1 - - 2000"
    "echo 127.0.0.1 10.201.9.9"
    "echo 127.0.0.1 - - - 65501"
    "dhcp release $index"
    "dhcp renew 9999"
    "codepage"
    "wmi-list"
    "wmi-static vwh0 10.201.1.50 255.255.255.0 10.201.1.1 10.201.1.1 10.201.1.1"
    "wmi-static vw 10.201.1.50 255.255.255.0 10.201.1.1 10.201.1.1 10.201.1.1"
    "wmi-static nosuch 10.201.1.50 255.255.255.0 10.201.1.1 10.201.1.1 10.201.1.1"
    "${v6runs[@]}"
)
args=()
for r in "${runs[@]}"; do
    read -ra words <<<"$r"
    args+=("${words[@]}" +)
done
all=$(win "${args[@]:0:${#args[@]}-1}")
echo "(all other commands done at ${SECONDS}s; each took:)"
grep -E '^(== |\([0-9]+ ms\)$)' <<<"$all" | paste - - | sed 's/^== /   /' 
sec() {  # sec <command line>: the output of that command within the run
    awk -v h="== $*" '$0 == h { on = 1; next } /^(== |\([0-9]+ ms\)$)/ { on = 0 } on' <<<"$all"
}
took() {  # took <command line>: how many milliseconds that command took
    awk -v h="== $*" '$0 == h { on = 1; next } on && /^\([0-9]+ ms\)$/ { print substr($1, 2); exit }' <<<"$all"
}

# --- echo and trace through the echo API ----------------------------------------------------
echo "--- echo and trace"
out=$(sec echo 127.0.0.1)
echo "$out"
check "echo to 127.0.0.1 is answered" '^id 1: reply from 127\.0\.0\.1 ' "$out"
# From the second adapter's address. Wine 8's echo service takes the source address but does not
# bind its socket to it (the kernel picks the source by route), so only the answer is checked here.
out=$(sec echo 10.201.2.2 10.201.3.1 - 2000 - 2)
echo "$out"
check "echo from the second adapter's address is answered" '^ended 2 of 2$' "$out"
refute "neither of the two failed" '^id [0-9]+: (timed out|failed|unreachable)' "$out"
out=$(sec echo 10.201.2.2 - - 2000 1200 3)
echo "$out"
check "three requests of 1200 bytes in flight at once, three ids" '^sent 3, distinct ids 3, in flight 3$' "$out"
check "all three answered by the target beyond the router" '^ended 3 of 3$' "$out"
refute "no request of the three failed" '^id [0-9]+: (timed out|failed|unreachable)' "$out"
out=$(sec trace 10.201.2.2 5)
echo "$out"
check "trace hop 1 is the router, by TTL expiry" '^hop 1: time exceeded from 10\.201\.1\.1$' "$out"
check "trace hop 2 is the target's reply" '^hop 2: reply from 10\.201\.2\.2$' "$out"
out=$(sec echo 10.201.2.99 - - 500)
echo "$out"
check "a silent address times out" '^id 1: timed out' "$out"
out=$(sec echo 10.88.0.1 - - 2000)
echo "$out"
check "an address the router refuses: host unreachable, from the router" \
    '^id 1: unreachable code 1 from 10\.201\.1\.1 ' "$out"
out=$(sec echo 127.0.0.1 10.201.9.9)
echo "$out"
check "a source address the machine does not have is refused" '^probe error 87: The source address 10\.201\.9\.9 ' "$out"
out=$(sec echo 127.0.0.1 - - - 65501)
echo "$out"
check "a data size beyond 65500 is refused before sending" '^probe error 87: Echo data size 65501 ' "$out"

# --- the same over IPv6 (Icmp6SendEcho2) -----------------------------------------------------
echo "--- IPv6 echo and trace"
out=$(sec echo ::1)
echo "$out"
if grep -qE '^probe error [0-9]+: This system has no IPv6 echo API' <<<"$out"; then
    # Wine 8 has only stubs of the IPv6 echo API: every IPv6 request must be refused at once,
    # saying so, never answered or left waiting. What it would have checked cannot run.
    reason="$(sed -n 's/^probe error [0-9]*: //p' <<<"$out") [$("$wine" --version 2>/dev/null)]"
    for r in "${v6runs[@]}"; do
        out=$(sec $r)
        check "$r: refused, saying the IPv6 echo API is missing" \
            '^probe error [0-9]+: This system has no IPv6 echo API \(Icmp6(CreateFile|SendEcho2): .+\)$' "$out"
        refute "$r: no request claimed sent or answered" '^(sent|id) ' "$out"
        ms=$(took $r)
        check "$r: refused at once (${ms:-?} ms)" '^[0-9]{1,3}$' "${ms:-x}"
    done
    note_skip "IPv6 echo replies, hop limit, time-out, unreachable and zones" "$reason"
else
    check "echo to ::1 is answered" '^id 1: reply from ::1 rtt [0-9]{1,3} ms$' "$out"
    out=$(sec echo fd77:2::2 - - 2000 1200 3)
    echo "$out"
    check "three IPv6 requests of 1200 bytes in flight at once, three ids" \
        '^sent 3, distinct ids 3, in flight 3$' "$out"
    check "all three answered by the target beyond the router" '^ended 3 of 3$' "$out"
    check "the target's reply, with a round trip below a second" \
        '^id [0-9]+: reply from fd77:2::2 rtt [0-9]{1,3} ms$' "$out"
    refute "no IPv6 request of the three failed" '^id [0-9]+: (timed out|failed|unreachable)' "$out"
    out=$(sec trace fd77:2::2 5)
    echo "$out"
    check "IPv6 trace hop 1 is the router, by hop limit" '^hop 1: time exceeded from fd77:1::1$' "$out"
    check "IPv6 trace hop 2 is the target's reply" '^hop 2: reply from fd77:2::2$' "$out"
    out=$(sec echo fd77:2::99 - - 500)
    echo "$out"
    check "a silent IPv6 address times out" '^id 1: timed out' "$out"
    out=$(sec echo fd88::1 - - 2000)
    echo "$out"
    check "an IPv6 address the router has no route to: no route, from the router" \
        '^id 1: unreachable code 0 from fd77:1::1 ' "$out"
    out=$(sec echo "$router_ll")
    echo "$out"
    check "the router's link-local address through the adapter's zone" \
        "^id 1: reply from ${router_ll%\%*}(%$index)? " "$out"
fi

# --- DHCP lease actions (on the namespace's veth; Wine has no DHCP client behind them) -------
echo "--- DHCP lease actions"
out=$(sec dhcp release $index)
echo "$out"
check "release answers with success or the system's reason" '^release (done|failed [0-9]+: .+)$' "$out"
out=$(sec dhcp renew 9999)
echo "$out"
check "renew on an interface index that does not exist" '^renew failed 1168: No adapter with interface index 9999\.$' "$out"

# --- the ANSI code page ---------------------------------------------------------------------
echo "--- code page conversion"
out=$(sec codepage)
echo "$out"
check "Thai under code page 874" '^ok +cp874 +Thai in the Thai code page +B7 B4 CA CD BA$' "$out"
check "Thai under 1252: the default character" '^ok +cp1252 +Thai in a Western .* 3F 3F 3F 3F 3F$' "$out"
check "a code page not installed gives ASCII and '?'" "^ok +cp12345 .* 6F 6B 20 3F$" "$out"
refute "no code page case failed" '^(FAIL|exception)' "$out"
out=$(lc=th_TH.UTF-8 win codepage | tail -1)
echo "under a Thai locale: $out"
check "a Thai system's active code page is 874, Thai text goes out in it" \
    '^active code page 874 .* encodes as B7 B4$' "$out"

# --- the management interface (WMI) ---------------------------------------------------------
echo "--- management interface"
out=$(sec wmi-list)
echo "$out"
check "the IP-enabled query answers with the namespace's adapters" '^ip-enabled configurations: 2$' "$out"
check "the query's descriptions are the adapter query's" '^ip-enabled\|vwh0$' "$out"
out=$(sec wmi-static vwh0 10.201.1.50 255.255.255.0 10.201.1.1 10.201.1.1 10.201.1.1)
echo "$out"
check "EnableStatic is missing in Wine: the call fails as an error, not a code" \
    '^EnableStatic: management error: EnableStatic: .+' "$out"
out=$(sec wmi-static vw 10.201.1.50 255.255.255.0 10.201.1.1 10.201.1.1 10.201.1.1)
echo "$out"
check "a name held by both descriptions takes the first in enumeration order" '^matched: vwh0$' "$out"
out=$(sec wmi-static nosuch 10.201.1.50 255.255.255.0 10.201.1.1 10.201.1.1 10.201.1.1)
echo "$out"
check "a name that matches no description" '^no IP-enabled adapter matches "nosuch"$' "$out"

echo "$passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
