# A disk that fills up midway: kestrune-cli under a file-size limit of 1 MiB
# (SIGXFSZ ignored, so the write fails with EFBIG as on a full disk) fetching
# 3 MB from real vsftpd and nginx. The download ends with "Error", never
# "Completed.", says why on stderr, and does not retry for ever.
source "$KESTRUNE_ROOT/tests/integration/common.bash"
W="$KI_WORK"
R="$W/root"
mkdir -p "$R/pub" "$W/home" "$W/ftp" "$W/http"
head -c 3000000 /dev/urandom > "$R/pub/big.bin"
start_vsftpd "$R"
start_nginx "$R"
K=(--home "$W/home")

# limited NAME DIR URL [OPTION...]: the download under the limit; its stderr
# in $W/err.txt.
limited() {
    local name=$1 dir=$2 url=$3
    shift 3
    ( trap '' XFSZ; ulimit -f 1024
      exec timeout 60 "$CLI" "${K[@]}" get "$@" --dir "$dir" "$url" ) >"$W/out.txt" 2>"$W/err.txt"
    local rc=$?
    if [ "$rc" -eq 1 ]; then pass "$name ends with exit 1"; else
        fail "$name ends with exit $rc, expected 1"; cat "$W/err.txt"; fi
    check "$name shows Error" grep -qx "Error" "$W/err.txt"
    check "$name is not Completed." bash -c "! grep -q 'Completed\.' '$W/err.txt'"
    check "$name says why" grep -q "can't write .*big.bin: File too large" "$W/err.txt"
}

limited "ftp" "$W/ftp" "ftp://127.0.0.1:$FTP_PORT/pub/big.bin"
limited "http" "$W/http" "http://127.0.0.1:$NGINX_PORT/pub/big.bin"
mkdir -p "$W/ftp4"
limited "ftp with 4 segments" "$W/ftp4" "ftp://127.0.0.1:$FTP_PORT/pub/big.bin" --segments 4
"$CLI" "${K[@]}" list --long >"$W/list.txt" 2>&1
check "list --long keeps the reason" grep -q "	Error	can't write .*File too large" "$W/list.txt"

# Without the limit the same command resumes and completes the file.
run_cli 0 "ftp resumes once there is room" "${K[@]}" get --quiet --dir "$W/ftp" \
    "ftp://127.0.0.1:$FTP_PORT/pub/big.bin"
check "resumed file is byte-identical" same_file "$R/pub/big.bin" "$W/ftp/big.bin"
run_cli 0 "segmented ftp resumes once there is room" "${K[@]}" get --quiet --segments 4 \
    --dir "$W/ftp4" "ftp://127.0.0.1:$FTP_PORT/pub/big.bin"
check "resumed segmented file is byte-identical" same_file "$R/pub/big.bin" "$W/ftp4/big.bin"
