#!/usr/bin/env bash
# Runs the real program and checks how it ends: exit code 0 after Esc on the login
# window before any login (under Xvfb, the key typed through X11), and -1 (255 as a
# Linux parent sees it) after the fatal error of a failed allocation, whose box the
# message-box hook answers.
# Usage: program_test.sh PATH/TO/examclient
set -euo pipefail
program=$1
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

mkdir -p "$work/windows" "$work/D"
export EXAMCLIENT_WINDOWS_DIR="$work/windows" EXAMCLIENT_DRIVE_D="$work/D"

free_port() {
    local port
    for port in $(shuf -i 20000-60000 -n 50); do
        (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || { echo "$port"; return; }
    done
    fail "no free port"
}

# 1. Esc before a login ends the program normally. Nothing listens on the login port,
#    so the window comes up with the login impossible.
printf '[Server]\r\nIP=127.0.0.1\r\nPort=%s\r\n' "$(free_port)" >"$work/windows/config.ini"
exec 4>"$work/display"
Xvfb -displayfd 4 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [[ -s "$work/display" ]] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"
env -u QT_QPA_PLATFORM "$program" 2>"$work/client.log" &
client=$!
pids+=($client)
timeout 30 xdotool search --sync --onlyvisible --name "考试系统" >/dev/null || fail "the login window never showed"
xdotool mousemove 640 512
sleep 0.5
xdotool key Escape
status=0
timeout 30 tail --pid="$client" -f /dev/null || fail "the program did not end after Esc"
wait "$client" || status=$?
[[ $status -eq 0 ]] || fail "exit code after Esc: $status (expected 0)"
echo "ok: Esc on the login window ends the program with 0"

# 2. A reply larger than the allocation limit: the arrival's buffer cannot be had, the
#    fatal error box is shown (and answered by the hook), and the process ends with -1.
port=$(free_port)
printf '[Server]\r\nIP=127.0.0.1\r\nPort=%s\r\n' "$port" >"$work/windows/config.ini"
head -c 2000000 /dev/zero | tr '\0' 'x' >"$work/reply"
socat -u "FILE:$work/reply" "TCP-LISTEN:$port,bind=127.0.0.1,reuseaddr" &
pids+=($!)
sleep 0.5
status=0
QT_QPA_PLATFORM=offscreen EXAMCLIENT_TEST_MESSAGE_BOXES=1 EXAMCLIENT_TEST_ALLOCATION_LIMIT=65536 \
    timeout 60 "$program" 2>"$work/fatal.log" || status=$?
[[ $status -eq 255 ]] || { cat "$work/fatal.log"; fail "exit code after the fatal error: $status (expected 255, i.e. -1)"; }
grep -q '^错误|运行时出错!\\r\\n\\r\\n错误信息：分配 [0-9]* 字节内存失败!\\r\\n$' "$work/fatal.log" ||
    { cat "$work/fatal.log"; fail "the fatal error box did not show the allocation failure"; }
echo "ok: a failed allocation ends the program with -1 after the error box"
echo "2 passed, 0 failed"
