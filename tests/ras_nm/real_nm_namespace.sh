#!/usr/bin/env bash
# Runs a program beside a real NetworkManager that can never touch this machine's network: a
# private network and mount namespace (entered here with unshare) in which NetworkManager sees
# only loopback and one veth pair, keeps its state, settings and run files in WORKDIR, and
# talks on a bus of its own. Exit 77 (skipped) where the namespace or the daemon is missing.
#   real_nm_namespace.sh WORKDIR PROGRAM [ARGS...]
set -euo pipefail

if [ "${OV_IN_NM_NAMESPACE:-}" != 1 ]; then
    command -v NetworkManager >/dev/null || { echo "no NetworkManager: skipped" >&2; exit 77; }
    unshare --net --mount --propagation private true 2>/dev/null ||
        { echo "no private namespaces here: skipped" >&2; exit 77; }
    export OV_IN_NM_NAMESPACE=1
    exec unshare --net --mount --propagation private "$0" "$@"
fi

work=$1
shift
rm -rf "$work"
mkdir -p "$work/run" "$work/lib" "$work/etc/system-connections" "$work/etc/conf.d"
cat > "$work/etc/NetworkManager.conf" <<'CONF'
[main]
plugins=keyfile
dns=none
rc-manager=unmanaged
auth-polkit=false
no-auto-default=*
hostname-mode=none
CONF
for pair in "run:/run/NetworkManager" "lib:/var/lib/NetworkManager" "etc:/etc/NetworkManager"; do
    mkdir -p "${pair#*:}"
    mount --bind "$work/${pair%%:*}" "${pair#*:}"
done
# Read-only sysfs of this namespace: NetworkManager then manages the devices without udev.
mount -t sysfs -o ro sysfs /sys
ip link set lo up
ip link add veth0 type veth peer name veth1

export OV_REAL_NM_DIR=$work
exec "$@"
