# Sourced by the Wine scripts in tests/win: Wine inside network namespaces made for one run.
# Wine does its network work in processes of its own wineserver, which lives in the namespace it
# was started in; so every prefix is fresh, its server is started inside a namespace of ours, and
# every process of the prefix is checked to run there before anything is sent.
# Exit codes of the scripts: 0 all passed, 1 a check failed, 77 skipped.

skip() {
    echo "SKIP: $*"
    exit 77
}
abort() {
    echo "ABORT: $*"
    exit 1
}
passed=0 failed=0 skipped=0
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

note_skip() {  # note_skip <what> <why>: checks that cannot run here, counted as skipped
    echo "skip  $1: $2"
    skipped=$((skipped + 1))
}

# Wine and root, or the script reports itself skipped.
vt_wine_need() {
    [ "$(id -u)" -eq 0 ] || skip "needs root for network namespaces; run ./test.sh as root"
    wine=$(command -v wine64 || command -v /usr/lib/wine/wine64) ||
        skip "Wine is not installed (Debian package wine64)"
    wineserver=$(command -v wineserver || command -v /usr/lib/wine/wineserver) ||
        skip "wineserver not found"
}

vt_namespaces=() vt_prefixes=() vt_cleanups=()
vt_cleanup() {
    local p ns c
    for p in "${vt_prefixes[@]}"; do
        ip netns exec "${p%%|*}" env WINEPREFIX="${p#*|}" "$wineserver" -k >/dev/null 2>&1
    done
    for c in "${vt_cleanups[@]}"; do eval "$c"; done
    for ns in "${vt_namespaces[@]}"; do
        for p in $(ip netns pids "$ns" 2>/dev/null); do kill -9 "$p" 2>/dev/null; done
        ip netns del "$ns" 2>/dev/null
        rm -rf "/etc/netns/$ns"
    done
}
trap vt_cleanup EXIT

vt_ns_add() {  # vt_ns_add <name>...: namespaces with only loopback, removed at exit
    local ns
    for ns in "$@"; do
        ip netns add "$ns" || abort "cannot create namespace $ns"
        vt_namespaces+=("$ns")
        ip -n "$ns" link set lo up
    done
}

# The chain <tag>-h (Wine, 10.201.1.2 and a second adapter 10.201.3.1) -- <tag>-r (router) --
# <tag>-t (target, 10.201.2.2). No route leads out of it; the host's DNS servers are the router's,
# which refuses at once any lookup Wine makes (its WMI provider looks names up). IPv6 beside it:
# link k is fd77:k::/64 too, with the same host numbers (10.201.1.2 is also fd77:1::2). The
# router answers echoes to 10.88.0.0/16 and fd88::/16 as unreachable (host; no route).
vt_chain_up() {  # vt_chain_up <tag>: sets H, R, T
    H=$1-h R=$1-r T=$1-t
    vt_ns_add "$H" "$R" "$T"
    local ns
    for ns in "$H" "$R" "$T"; do  # no duplicate address detection: addresses work at once
        ip netns exec "$ns" sysctl -qw net.ipv6.conf.default.accept_dad=0 \
            net.ipv6.conf.all.accept_dad=0 net.ipv6.icmp.ratelimit=0
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
    # The default route leads to the router namespace, which knows only the chain's subnets.
    ip -n "$H" route add default via 10.201.1.1
    ip -n "$T" route add default via 10.201.2.1
    ip netns exec "$R" sysctl -qw net.ipv4.ip_forward=1 net.ipv4.icmp_ratelimit=0 \
        net.ipv6.conf.all.forwarding=1
    ip -n "$H" -6 addr add fd77:1::2/64 dev vwh0 nodad
    ip -n "$H" -6 addr add fd77:3::1/64 dev vwd0 nodad
    ip -n "$R" -6 addr add fd77:1::1/64 dev vwr0 nodad
    ip -n "$R" -6 addr add fd77:2::1/64 dev vwr1 nodad
    ip -n "$R" -6 addr add fd77:3::254/64 dev vwr2 nodad
    ip -n "$T" -6 addr add fd77:2::2/64 dev vwt0 nodad
    ip -n "$H" -6 route add default via fd77:1::1
    ip -n "$T" -6 route add default via fd77:2::1
    # IPv4's answer comes from nftables: an unreachable route's answers draw on a per-host budget
    # that every other ICMP error empties when icmp_ratelimit is 0, so none would come for a
    # second after a trace's time exceeded. IPv6's unreachable routes have no such budget.
    ip -n "$R" route add 10.88.0.0/16 dev vwr1
    ip netns exec "$R" nft -f - <<'NFT'
table ip vt {
    chain through {
        type filter hook forward priority 0;
        ip daddr 10.88.0.0/16 reject with icmp type host-unreachable
    }
}
NFT
    ip -n "$R" -6 route add unreachable fd88::/16
    # `ip netns exec` shows this file as /etc/resolv.conf inside the namespace.
    mkdir -p "/etc/netns/$H"
    printf 'nameserver 10.201.1.1\nnameserver 10.201.3.254\n' >"/etc/netns/$H/resolv.conf"
}

# Starts the wineserver of a fresh prefix inside a namespace; vt_wine <ns> <prefix> runs Wine there.
vt_wine_server() {  # vt_wine_server <ns> <prefix>: sets vt_server_pid
    mkdir -p "$2"
    export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
    vt_prefixes+=("$1|$2")
    ip netns exec "$1" env WINEPREFIX="$2" HOME="$(dirname "$2")" "$wineserver" -f -p &
    vt_server_pid=$!
    # Wait for its socket, or the first Wine run would start a server of its own.
    # (Debian's Wine keeps it in /tmp/wine-*/, upstream's in /tmp/.wine-<uid>/.)
    local name s
    name=server-$(printf '%x-%x' "$(stat -c %d "$2")" "$(stat -c %i "$2")")
    for _ in $(seq 100); do
        for s in /tmp/wine-*/"$name"/socket /tmp/.wine-"$(id -u)"/"$name"/socket; do
            [ -S "$s" ] && return
        done
        sleep 0.05
    done
    echo "note: no socket of the wineserver after 5 s ($name)"
}
vt_wine() {  # vt_wine <ns> <prefix> <program> [args]: one Wine run inside the namespace
    local ns=$1 prefix=$2
    shift 2
    ip netns exec "$ns" env WINEPREFIX="$prefix" HOME="$(dirname "$prefix")" "$wine" "$@"
}

# Aborts unless every process of the prefix (its server included) runs in the namespace.
vt_wine_confined() {  # vt_wine_confined <ns> <prefix>
    local inode p
    inode=$(stat -L -c %i "/run/netns/$1")
    for p in /proc/[0-9]*; do
        { tr '\0' '\n' <"$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$2" || continue
        [ "$(stat -L -c %i "$p/ns/net" 2>/dev/null)" = "$inode" ] ||
            abort "Wine process ${p#/proc/} runs outside namespace $1"
    done
    [ "$(stat -L -c %i "/proc/$vt_server_pid/ns/net")" = "$inode" ] || abort "wineserver outside $1"
    echo "ok    every process of this Wine prefix runs in namespace $1"
}

# The adapters Wine lists (vt_wincheck's "adapters" output) are exactly the chain host's two:
# checked before anything is sent; aborts otherwise.
vt_chain_adapters_check() {  # vt_chain_adapters_check <adapters output>
    local adapters=$1 mac own ip indexes sorted before=$failed
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
    [ "$failed" -eq "$before" ] || abort "adapter list is not the namespace's; nothing sent"
}
