# A segmented download (8 segments) from a throttled nginx, killed with SIGKILL
# at random moments and restarted each time: the finished file must be
# byte-identical, and every restart may re-fetch only a little. The bytes served
# per request come from nginx's access log.
source "$KESTRUNE_ROOT/tests/integration/common.bash"
W="$KI_WORK"
mkdir -p "$W/www" "$W/home" "$W/down"
SIZE=100000000
head -c $SIZE /dev/urandom > "$W/www/big.bin"
start_nginx "$W/www" 'limit_rate 1m;'
URL="http://127.0.0.1:$NGINX_PORT/big.bin"
GET=(--home "$W/home" get --quiet --segments 8 --dir "$W/down" "$URL")

kills=$(( (RANDOM % 4) + 5 ))
for i in $(seq 1 "$kills"); do
    # 0.2 to 1.0 s: early kills land while segments split off, later ones in
    # the middle of transfers and merges.
    secs=$(awk -v r=$RANDOM 'BEGIN { printf "%.2f", 0.2 + (r % 800) / 1000 }')
    kill_after "$secs" KILL "${GET[@]}"
    have=$(stat -c %s "$W/down/big.bin" 2>/dev/null || echo 0)
    segs=$(ls "$W/down" | grep -c '_big.bin$')
    echo "kill $i after ${secs}s: local file $have bytes, $segs segment files"
done
run_cli 0 "restart after $kills kills completes" "${GET[@]}"
check "file after $kills kills is byte-identical" same_file "$W/www/big.bin" "$W/down/big.bin"
left=$(ls "$W/down" | grep -c '_big.bin$')
check "no segment files left behind ($left)" test "$left" -eq 0

# Bytes served beyond the file's size were fetched twice. Some of that comes
# with every stop of an open-ended range (what the server had already sent
# into the connection), some with each kill; a restart that began again from
# the start would cost the whole file.
sent=$(awk '$2 == "/big.bin" {s += $4} END {print s + 0}' "$NGINX_LOG")
requests=$(grep -c ' /big.bin ' "$NGINX_LOG")
refetched=$((sent - SIZE))
echo "served $sent bytes in $requests requests for a $SIZE-byte file: $refetched re-fetched ($(awk -v r=$refetched -v s=$SIZE 'BEGIN { printf "%.1f", 100 * r / s }')%)"
check "restarts resumed instead of starting over ($refetched bytes re-fetched)" test "$refetched" -lt $((SIZE / 2))
