#!/usr/bin/env bash
# Both programs where no window system can be used: each says why in
# Japanese on standard error, naming what to install, and ends with status 1
# rather than Qt's abort.
#
#     tests/ui/no_window_system_test.sh build/bin/hakomaru build/bin/hakomaru-tariff
set -euo pipefail
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
# The environment, then what the message says.
cases=(
    "QT_QPA_PLATFORM=wayland|パッケージ qt6-wayland をインストールしてください"
    "XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-hakomaru-test|パッケージ qt6-wayland"
    "QT_QPA_PLATFORM=nothing|Qt のプラグイン「nothing」がありません"
    "DISPLAY=:9999|ディスプレイに接続できません（DISPLAY=:9999）"
    "XDG_SESSION_TYPE=x11|DISPLAY も WAYLAND_DISPLAY も設定されていません"
)
for program in "$@"; do
    for case in "${cases[@]}"; do
        read -ra env <<<"${case%%|*}"
        status=0
        said=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE \
            XDG_RUNTIME_DIR="$runtime" "${env[@]}" "$program" 2>&1 >/dev/null) || status=$?
        if [ "$status" -ne 1 ] || ! grep -q "^$(basename "$program"): 画面に表示できません。.*${case#*|}" <<<"$said"; then
            echo "FAIL: $(basename "$program") with ${env[*]}: status $status, said: $said"
            exit 1
        fi
    done
done
echo "PASS: no window system: a Japanese reason and status 1"
