# kestrune-cli against a real vsftpd: download, resume, segmented download,
# upload with resume and overwrite, and upload after SIGKILL.
source "$KESTRUNE_ROOT/tests/integration/common.bash"
W="$KI_WORK"
R="$W/ftproot"
mkdir -p "$R/pub" "$R/upload" "$W/home" "$W/down" "$W/local"
chmod 777 "$R/upload"
head -c 5000000 /dev/urandom > "$R/pub/f.bin"
head -c 2000000 /dev/urandom > "$W/local/a.bin"
head -c 3000000 /dev/urandom > "$W/local/b.bin"
start_vsftpd "$R"
F="ftp://127.0.0.1:$FTP_PORT"
K=(--home "$W/home")

run_cli 0 "ftp download" "${K[@]}" get --quiet --dir "$W/down" "$F/pub/f.bin"
check "ftp download is byte-identical" same_file "$R/pub/f.bin" "$W/down/f.bin"

# Resume: a partial local file is continued with REST.
head -c 1234567 "$R/pub/f.bin" > "$W/down2.part"
mkdir -p "$W/down2" && mv "$W/down2.part" "$W/down2/f.bin"
run_cli 0 "ftp resume" "${K[@]}" get --quiet --dir "$W/down2" "$F/pub/f.bin"
check "ftp resume is byte-identical" same_file "$R/pub/f.bin" "$W/down2/f.bin"

mkdir -p "$W/down3"
run_cli 0 "ftp segmented download" "${K[@]}" get --quiet --segments 4 --dir "$W/down3" "$F/pub/f.bin"
check "ftp segmented download is byte-identical" same_file "$R/pub/f.bin" "$W/down3/f.bin"

run_cli 0 "upload two files" "${K[@]}" upload "$F/upload/" "$W/local/a.bin" "$W/local/b.bin"
check "upload a is byte-identical" same_file "$W/local/a.bin" "$R/upload/a.bin"
check "upload b is byte-identical" same_file "$W/local/b.bin" "$R/upload/b.bin"

# Upload resume: the server holds the first part of the file.
head -c 700000 "$W/local/a.bin" > "$R/upload/a.bin"
run_cli 0 "upload resume" "${K[@]}" upload "$F/upload/" "$W/local/a.bin"
check "resumed upload is byte-identical" same_file "$W/local/a.bin" "$R/upload/a.bin"

# A remote file longer than the local one is overwritten from byte 0.
head -c 3500000 /dev/urandom > "$R/upload/b.bin"
run_cli 0 "upload over a longer remote file" "${K[@]}" upload "$F/upload/" "$W/local/b.bin"
check "longer remote file replaced" same_file "$W/local/b.bin" "$R/upload/b.bin"

# --overwrite sends the whole file again.
head -c 1000 /dev/urandom > "$R/upload/a.bin"
run_cli 0 "upload --overwrite" "${K[@]}" upload --overwrite "$F/upload/" "$W/local/a.bin"
check "overwritten upload is byte-identical" same_file "$W/local/a.bin" "$R/upload/a.bin"

run_cli 1 "missing remote file ends with Error" "${K[@]}" get --quiet --retries 2 --dir "$W/down" "$F/pub/none.bin"
