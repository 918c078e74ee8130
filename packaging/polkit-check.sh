#!/bin/bash
# Checks the installed polkit policy with the real polkitd, pkaction and pkexec:
#   sudo packaging/polkit-check.sh [BUILD_FOLDER]          (build by default)
#
# It stages `cmake --install BUILD --prefix /usr` in a temporary folder, then
# works inside a private mount and process namespace where
#   /usr                       is the system's /usr with the staged files laid over it
#                              (so /usr/share/polkit-1/actions holds the policy and
#                              /usr/lib/quillmoor the helper),
#   /run/dbus                  is empty, for a system bus of its own, and
#   /etc/polkit-1/rules.d      holds only the rules of the check.
# polkitd only reads /usr/share/polkit-1/actions and pkexec, being setuid, ignores
# DBUS_SYSTEM_BUS_ADDRESS and always talks to /run/dbus/system_bus_socket: the
# namespace gives both their usual paths without writing to them. Nothing it
# mounts or starts outlives it, and it removes its temporary folder.
#
# What it shows:
#   1. pkaction --verbose for both actions, and the texts polkitd gives a client
#      whose locale is pt_BR.UTF-8 (pkaction itself never sends its locale);
#   2. the password prompt a Portuguese session sees (pkttyagent, answered with
#      end of input, so no password is ever tried);
#   3. with a rule answering NO for system-care, pkexec as nobody exits 127;
#   4. with a rule answering YES for system-care, the helper runs as root
#      (system-care drop-caches), while remove-software and a first argument that
#      is no class still need the administrator (127 here, with no agent).
set -uo pipefail
umask 022

policy_name=com.halvick.Quillmoor.policy
helper=/usr/lib/quillmoor/quillmoor-admin
software=com.halvick.Quillmoor.remove-software
care=com.halvick.Quillmoor.system-care

if [[ ${1:-} == --inside ]]; then
    work=$2
    step() { printf '\n=== %s\n' "$*"; }

    mount -t overlay quillmoor-check -o "lowerdir=$work/stage/usr:/usr" /usr || exit 1
    mount -t tmpfs -o mode=0755 quillmoor-check /run/dbus || exit 1
    mount -t tmpfs -o mode=0755 quillmoor-check /etc/polkit-1/rules.d || exit 1

    # Debian's own system bus configuration, listening in the private /run/dbus.
    dbus-daemon --system || { echo "dbus-daemon did not start"; exit 1; }

    polkitd_pid=
    start_polkitd() {  # RULES: the rules file to use, or none
        if [[ -n $polkitd_pid ]]; then
            kill "$polkitd_pid"
            wait "$polkitd_pid" 2>/dev/null
        fi
        rm -f /etc/polkit-1/rules.d/*
        [[ -n ${1:-} ]] && cp "$1" /etc/polkit-1/rules.d/
        /usr/lib/polkit-1/polkitd >>"$work/polkitd.log" 2>&1 &
        polkitd_pid=$!
        for _ in $(seq 100); do
            dbus-send --system --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.GetNameOwner \
                string:org.freedesktop.PolicyKit1 >/dev/null 2>&1 && return 0
            sleep 0.1
        done
        echo "polkitd did not come up:"; cat "$work/polkitd.log"; exit 1
    }
    # What the check's rules noted since the last call.
    rule_lines=0
    rules_said() {
        local all
        all=$(grep -c 'quillmoor-check:' "$work/polkitd.log")
        grep 'quillmoor-check:' "$work/polkitd.log" | tail -n +"$((rule_lines + 1))" | sed 's/^/  polkitd: /'
        rule_lines=$all
    }
    as_nobody() { runuser -u nobody -- env SHELL=/bin/sh "$@"; }

    start_polkitd
    step "pkaction --verbose (English: pkaction passes no locale)"
    for id in "$software" "$care"; do
        pkaction --action-id "$id" --verbose
    done
    step "LANG=pt_BR.UTF-8 pkaction --action-id $software --verbose"
    LANG=pt_BR.UTF-8 pkaction --action-id "$software" --verbose | head -3
    step "EnumerateActions(\"pt_BR.UTF-8\"): what polkitd gives a Portuguese client (id, description, message)"
    dbus-send --system --print-reply --dest=org.freedesktop.PolicyKit1 /org/freedesktop/PolicyKit1/Authority \
        org.freedesktop.PolicyKit1.Authority.EnumerateActions string:pt_BR.UTF-8 |
        awk -v a="\"$software\"" -v b="\"$care\"" '
            $1 == "string" && ($2 == a || $2 == b) { left = 3 }
            left > 0 { sub(/^ *string /, "  "); print; left-- }'

    step "The prompt in a Portuguese session: pkexec $helper remove-software remove-packages 1 quillmoor-check-none"
    echo "(as nobody, pkttyagent with LANG=pt_BR.UTF-8; the prompt gets end of input)"
    # pkexec asks the agent of its parent process, the sh that started pkttyagent.
    { sleep 2; printf '\004'; sleep 3; } |
        as_nobody timeout 30 script -qec "sh -c 'LANG=pt_BR.UTF-8 pkttyagent --process \$\$ & sleep 1; pkexec $helper remove-software remove-packages 1 quillmoor-check-none; echo \"pkexec exit status: \$?\"'" /dev/null |
        tr -d '\r' | sed -e 's/\x1b\[[0-9;]*m//g' -e 's/^/  /'

    cat >"$work/10-quillmoor-check-no.rules" <<EOF
polkit.addRule(function(action, subject) {
    if (action.id.indexOf("com.halvick.Quillmoor.") == 0 || action.id == "org.freedesktop.policykit.exec")
        polkit.log("quillmoor-check: " + action.id + " for " + subject.user);
    if (action.id == "$care")
        return polkit.Result.NO;
});
EOF
    sed -e 's/polkit.Result.NO/polkit.Result.YES/' "$work/10-quillmoor-check-no.rules" >"$work/10-quillmoor-check-yes.rules"

    rules_said >/dev/null
    start_polkitd "$work/10-quillmoor-check-no.rules"
    step "Rule: NO for $care. As nobody: pkexec $helper system-care drop-caches"
    as_nobody pkexec "$helper" system-care drop-caches
    echo "pkexec exit status: $?"
    rules_said

    start_polkitd "$work/10-quillmoor-check-yes.rules"
    step "Rule: YES for $care. As nobody: pkexec $helper system-care drop-caches"
    as_nobody pkexec "$helper" system-care drop-caches
    echo "pkexec exit status: $?"
    rules_said
    step "Same rule. As nobody: pkexec $helper remove-software remove-packages 1 quillmoor-check-none"
    as_nobody pkexec "$helper" remove-software remove-packages 1 quillmoor-check-none </dev/null
    echo "pkexec exit status: $?"
    rules_said
    step "Same rule. As nobody: pkexec $helper drop-caches (no class first)"
    as_nobody pkexec "$helper" drop-caches </dev/null
    echo "pkexec exit status: $?"
    rules_said
    exit 0
fi

if [[ $(id -u) != 0 ]]; then
    echo "run it as root: it mounts in a private namespace and starts polkitd" >&2
    exit 2
fi
for tool in cmake unshare runuser script dbus-daemon dbus-send pkaction pkexec pkttyagent /usr/lib/polkit-1/polkitd; do
    command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 2; }
done

build=$(realpath "${1:-$(dirname "$0")/../build}")
work=$(mktemp -d /tmp/quillmoor-polkit-check.XXXXXX) || exit 1
trap 'rm -rf "$work"' EXIT

echo "=== DESTDIR=$work/stage cmake --install $build --prefix /usr"
if ! DESTDIR="$work/stage" cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1; then
    cat "$work/install.log"; exit 1
fi
grep -E "polkit|quillmoor-admin" "$work/install.log"
if [[ ! -x $work/stage$helper ]]; then
    echo "the installation holds no $helper: build the quillmoor-admin target first" >&2
    exit 1
fi
grep -o '<annotate key="org.freedesktop.policykit.exec.path">[^<]*' "$work/stage/usr/share/polkit-1/actions/$policy_name" |
    sort -u | sed 's/^/  /'

echo "=== PID 1 here: $(ps -o comm= -p 1)"
unshare --mount --propagation private --pid --fork --mount-proc bash "$0" --inside "$work"
status=$?
echo
echo "=== polkitd's own log"
sed 's/^/  /' "$work/polkitd.log" 2>/dev/null
exit $status
