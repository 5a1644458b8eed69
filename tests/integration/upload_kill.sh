# An FTP upload killed with SIGKILL at random moments and restarted each time
# must leave a byte-identical file on the server.
source "$KESTRUNE_ROOT/tests/integration/common.bash"
W="$KI_WORK"
R="$W/ftproot"
mkdir -p "$R/upload" "$W/home" "$W/local"
chmod 777 "$R/upload"
head -c 40000000 /dev/urandom > "$W/local/big.bin"
start_vsftpd "$R" 10000000
F="ftp://127.0.0.1:$FTP_PORT"
K=(--home "$W/home")
for i in 1 2 3 4 5; do
    t=$(python3 -c "import random; print(round(random.uniform(0.3, 0.9), 2))")
    kill_after "$t" KILL "${K[@]}" upload "$F/upload/" "$W/local/big.bin" >/dev/null
    sz=$(stat -c %s "$R/upload/big.bin" 2>/dev/null || echo 0)
    echo "kill $i after ${t}s: $sz bytes on the server"
done
run_cli 0 "upload after repeated SIGKILL" "${K[@]}" upload "$F/upload/" "$W/local/big.bin"
check "uploaded file is byte-identical" same_file "$W/local/big.bin" "$R/upload/big.bin"
