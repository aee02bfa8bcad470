#!/usr/bin/env bash
# Builds everything and starts はこ丸.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
if [ -x build/bin/hakomaru ]; then
    exec build/bin/hakomaru "$@"
fi
# Until the window exists: compare both carriers for one sample parcel.
exec build/bin/hakomaru-quote --from 東京 --to 大阪 --weight 2kg --size 60cm "$@"
