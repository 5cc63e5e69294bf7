#!/usr/bin/env bash
# Runs the Windows backends (vt_wincheck.exe, a MinGW-w64 build of the *_win.cpp files) under
# Wine, inside a chain of network namespaces made for this run:
#     <tag>-h (Wine, 10.201.1.2) -- <tag>-r (router) -- <tag>-t (target, 10.201.2.2)
# Wine does its network work in processes of its own wineserver, which lives in the namespace it
# was started in; so the prefix is fresh, the server is started inside <tag>-h, its namespace is
# checked, and the adapters Wine lists are checked to be that namespace's before anything is sent.
# The host has a second adapter toward the router (10.201.3.1). No route leads out of the chain. Exit 0 all passed, 1 a check failed, 77 skipped.
set -uo pipefail

exe=${1:-}
skip() {
    echo "SKIP: $*"
    exit 77
}
[ "$(id -u)" -eq 0 ] || skip "needs root for network namespaces; run ./test.sh as root"
wine=$(command -v wine64 || command -v /usr/lib/wine/wine64) ||
    skip "Wine is not installed (Debian package wine64)"
wineserver=$(command -v wineserver || command -v /usr/lib/wine/wineserver) ||
    skip "wineserver not found"
[ -n "$exe" ] && [ -f "$exe" ] ||
    skip "no Windows check program at '$exe': ./test.sh builds it when g++-mingw-w64-x86-64 is installed"

tag=vt-win-$$
H=$tag-h R=$tag-r T=$tag-t
work=$(mktemp -d /tmp/vt-win-XXXXXX)
prefix=$work/prefix
server_pid=

cleanup() {
    if [ -d "$prefix" ]; then
        ip netns exec "$H" env WINEPREFIX="$prefix" "$wineserver" -k >/dev/null 2>&1
    fi
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
    for ns in "$H" "$R" "$T"; do
        for p in $(ip netns pids "$ns" 2>/dev/null); do kill -9 "$p" 2>/dev/null; done
        ip netns del "$ns" 2>/dev/null
    done
    rm -rf "$work" "/etc/netns/$H"
}
trap cleanup EXIT

passed=0 failed=0
check() {  # check <label> <pattern (grep -E)> <text>
    if grep -qE -- "$2" <<<"$3"; then
        echo "ok    $1"
        passed=$((passed + 1))
    else
        echo "FAIL  $1: no line matching /$2/"
        failed=$((failed + 1))
    fi
}
refute() {  # refute <label> <pattern (grep -E)> <text>
    if grep -qE -- "$2" <<<"$3"; then
        echo "FAIL  $1: $(grep -E -- "$2" <<<"$3" | head -1)"
        failed=$((failed + 1))
    else
        echo "ok    $1"
        passed=$((passed + 1))
    fi
}
abort() {
    echo "ABORT: $*"
    exit 1
}

# --- the namespace chain -------------------------------------------------------------------
for ns in "$H" "$R" "$T"; do
    ip netns add "$ns" || abort "cannot create namespace $ns"
    ip -n "$ns" link set lo up
done
ip link add vwh0 netns "$H" type veth peer name vwr0 netns "$R"
ip link add vwr1 netns "$R" type veth peer name vwt0 netns "$T"
ip -n "$H" addr add 10.201.1.2/24 dev vwh0 && ip -n "$H" link set vwh0 up
ip -n "$R" addr add 10.201.1.1/24 dev vwr0 && ip -n "$R" link set vwr0 up
ip -n "$R" addr add 10.201.2.1/24 dev vwr1 && ip -n "$R" link set vwr1 up
ip -n "$T" addr add 10.201.2.2/24 dev vwt0 && ip -n "$T" link set vwt0 up
ip link add vwd0 netns "$H" type veth peer name vwr2 netns "$R"  # the host's second adapter
ip -n "$H" addr add 10.201.3.1/24 dev vwd0 && ip -n "$H" link set vwd0 up
ip -n "$R" addr add 10.201.3.254/24 dev vwr2 && ip -n "$R" link set vwr2 up
# The default route leads to the router namespace, which knows only the chain's two subnets.
ip -n "$H" route add default via 10.201.1.1
ip -n "$T" route add default via 10.201.2.1
ip netns exec "$R" sysctl -qw net.ipv4.ip_forward=1 net.ipv4.icmp_ratelimit=0

# `ip netns exec` shows this file as /etc/resolv.conf inside the namespace: the DNS servers, both
# the router's, which refuses at once any lookup Wine makes (its WMI provider looks names up).
mkdir -p "/etc/netns/$H"
printf 'nameserver 10.201.1.1\nnameserver 10.201.3.254\n' >"/etc/netns/$H/resolv.conf"

# --- Wine, started inside the namespace ----------------------------------------------------
mkdir -p "$prefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
ip netns exec "$H" env WINEPREFIX="$prefix" HOME="$work" "$wineserver" -f -p &
server_pid=$!
win() {  # win <command> [args]: one run of the check program in the namespace
    ip netns exec "$H" env WINEPREFIX="$prefix" HOME="$work" LC_ALL="${lc:-C}" "$wine" "$exe" "$@" 2>/dev/null |
        tr -d '\r'
}
echo "--- creating the Wine prefix in $H"
adapters=$(win adapters)
echo "$adapters"
echo "(prefix made and adapters listed at ${SECONDS}s)"

ns_inode=$(stat -L -c %i "/run/netns/$H")
for p in /proc/[0-9]*; do
    { tr '\0' '\n' <"$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$prefix" || continue
    [ "$(stat -L -c %i "$p/ns/net" 2>/dev/null)" = "$ns_inode" ] ||
        abort "Wine process ${p#/proc/} runs outside namespace $H"
done
[ "$(stat -L -c %i "/proc/$server_pid/ns/net")" = "$ns_inode" ] || abort "wineserver outside $H"
echo "ok    every process of this Wine prefix runs in namespace $H"

# Only this namespace's adapter (the loopback is not an adapter to the IP Helper API).
mac=$(ip -n "$H" -o link show vwh0 | grep -oE 'link/ether [0-9a-f:]+' | cut -d' ' -f2 | tr 'a-f:' 'A-F-')
own=$(ip -n "$H" -4 -o addr show | awk '{print $4}' | cut -d/ -f1)
while IFS='|' read -r _ _ _ ip _; do
    ip=${ip#ip=}
    [ -z "$ip" ] || grep -qxF "$ip" <<<"$own" || abort "Wine lists $ip, not an address of $H"
done < <(grep '^adapter|' <<<"$adapters")
check "Wine lists exactly the namespace's two adapters" '^adapters: 2$' "$adapters"
check "adapter vwh0 with address, mask, gateway, DNS servers, hardware address and type" \
    "^adapter\|index=[0-9]+\|desc=vwh0\|ip=10\.201\.1\.2\|mask=255\.255\.255\.0\|gw=10\.201\.1\.1\|dns=10\.201\.1\.1 10\.201\.3\.254\|.*\|mac=$mac\|type=Ethernet\|" "$adapters"
check "the second adapter, without gateway" \
    '^adapter\|index=[0-9]+\|desc=vwd0\|ip=10\.201\.3\.1\|mask=255\.255\.255\.0\|gw=\|' "$adapters"
indexes=$(grep -oE '^adapter\|index=[0-9]+' <<<"$adapters" | cut -d= -f2 | tr '\n' ' ')
sorted=$(tr ' ' '\n' <<<"$indexes" | grep . | sort -n | tr '\n' ' ')
check "adapters in ascending interface index ($indexes)" "^$sorted\$" "$indexes"
[ "$failed" -eq 0 ] || abort "adapter list is not the namespace's; nothing sent"

# --- everything else in one start of the program (Wine starts are slow) -----------------------
index=$(grep -E '^adapter\|index=[0-9]+\|desc=vwh0\|' <<<"$adapters" | cut -d'|' -f2 | cut -d= -f2)
runs=(
    "echo 127.0.0.1"
    "echo 10.201.2.2 10.201.3.1 - 2000 - 2"
    "echo 10.201.2.2 - - 2000 1200 3"
    "trace 10.201.2.2 5"
    "echo 10.201.2.99 - - 500"
    "echo 127.0.0.1 10.201.9.9"
    "echo 127.0.0.1 - - - 65501"
    "dhcp release $index"
    "dhcp renew 9999"
    "codepage"
    "wmi-list"
    "wmi-static vwh0 10.201.1.50 255.255.255.0 10.201.1.1 10.201.1.1 10.201.1.1"
    "wmi-static vw 10.201.1.50 255.255.255.0 10.201.1.1 10.201.1.1 10.201.1.1"
    "wmi-static nosuch 10.201.1.50 255.255.255.0 10.201.1.1 10.201.1.1 10.201.1.1"
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
out=$(sec echo 127.0.0.1 10.201.9.9)
echo "$out"
check "a source address the machine does not have is refused" '^probe error 87: The source address 10\.201\.9\.9 ' "$out"
out=$(sec echo 127.0.0.1 - - - 65501)
echo "$out"
check "a data size beyond 65500 is refused before sending" '^probe error 87: Echo data size 65501 ' "$out"

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

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
