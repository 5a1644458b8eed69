# The Windows build of kestrune-cli under Wine over https: SChannel with our
# own certificate checks, against nginx and a throwaway CA.
source "$KESTRUNE_ROOT/tests/integration/common.bash"
source "$KESTRUNE_ROOT/tests/integration/tls_pki.bash"
EXE="$KESTRUNE_ROOT/build/win64/kestrune-cli.exe"
if [ ! -f "$EXE" ]; then fail "win64 kestrune-cli.exe is built"; exit 1; fi
W="$KI_WORK"
mkdir -p "$W/www" "$W/home"
make_test_pki "$W/pki" || { fail "making the test certificates"; exit 1; }
head -c 20000000 /dev/urandom > "$W/www/w.bin"
start_tls_cases "$W/www" "$W/pki" good expired wrongname stranger || { fail "nginx with TLS"; exit 1; }
GOOD=${TLS_CASE_PORT[good]}; EXPIRED=${TLS_CASE_PORT[expired]}
WRONG=${TLS_CASE_PORT[wrongname]}; STRANGER=${TLS_CASE_PORT[stranger]}
LOG=$TLS_CASE_LOG

source "$KESTRUNE_ROOT/scripts/wine-env.sh" "its-$$"
kwine_init
kwine_keepalive_start
CA=(--ca-file "Z:$W/pki/ca.pem")
wcli() { timeout 300 "$KWINE_LOADER" "$EXE" --home "Z:$W/home" "$@" >"$W/wcli.out" 2>&1; }
wcli config Limits wait 1

mkdir -p "$W/down"
wcli get --quiet "${CA[@]}" --dir "Z:$W/down" "https://127.0.0.1:$GOOD/w.bin"; rc=$?
check "SChannel download exits 0 (got $rc)" test "$rc" -eq 0
check "SChannel download is byte-identical" same_file "$W/www/w.bin" "$W/down/w.bin"
check "no SNI for an address" grep -q "^$GOOD GET /w.bin 20[06] .* \"-\"$" "$LOG"
mkdir -p "$W/byname"
wcli get --quiet "${CA[@]}" --dir "Z:$W/byname" "https://localhost:$GOOD/w.bin"; rc=$?
check "SChannel download by name exits 0 (got $rc)" test "$rc" -eq 0
check "SChannel download by name is byte-identical" same_file "$W/www/w.bin" "$W/byname/w.bin"
check "the name went out as SNI" grep -q "^$GOOD GET /w.bin 20[06] .* \"localhost\"$" "$LOG"

mkdir -p "$W/seg"
head -c 7000000 "$W/www/w.bin" > "$W/seg/w.bin"
: > "$LOG"
wcli get --quiet --segments 4 "${CA[@]}" --dir "Z:$W/seg" "https://127.0.0.1:$GOOD/w.bin"; rc=$?
check "SChannel segmented resume exits 0 (got $rc)" test "$rc" -eq 0
check "SChannel segmented resume is byte-identical" same_file "$W/www/w.bin" "$W/seg/w.bin"
check "the resume asked from the partial length" grep -qE "\"bytes=7000000-[0-9]*\"" "$LOG"

bad() {  # NAME PORT REASON [OPTIONS]
    local name=$1 port=$2 reason=$3; shift 3
    mkdir -p "$W/bad-$port"
    wcli get "$@" --dir "Z:$W/bad-$port" "https://127.0.0.1:$port/w.bin"; local rc=$?
    check "SChannel $name exits 1 (got $rc)" test "$rc" -eq 1
    check "SChannel $name says \"$reason\"" grep -q "$reason" "$W/wcli.out"
    check "SChannel $name writes nothing" test -z "$(ls "$W/bad-$port")"
}
bad "without the CA" "$GOOD" "unknown issuer"
bad "self-signed stranger" "$STRANGER" "unknown issuer" "${CA[@]}"
bad "expired certificate" "$EXPIRED" "certificate has expired" "${CA[@]}"
bad "wrong host name" "$WRONG" "host name mismatch" "${CA[@]}"
mkdir -p "$W/insecure"
wcli get --insecure --dir "Z:$W/insecure" "https://127.0.0.1:$STRANGER/w.bin"; rc=$?
check "SChannel --insecure exits 0 (got $rc)" test "$rc" -eq 0
check "SChannel --insecure download is byte-identical" same_file "$W/www/w.bin" "$W/insecure/w.bin"
kwine_stop
rm -rf "$WINEPREFIX"
