# The FTP client's own round trip (passive and active, resume both ways) against
# a real vsftpd, run inside the native unit-test binary.
source "$KESTRUNE_ROOT/tests/integration/common.bash"
R="$KI_WORK/ftproot"
mkdir -p "$R/pub"
chmod 777 "$R/pub"
start_vsftpd "$R"
BIN="$KESTRUNE_ROOT/build/native/kestrune_tests"
[ -x "$BIN" ] || BIN="$KESTRUNE_ROOT/build/release/kestrune_tests"
KESTRUNE_TEST_FTP_DIR_URL="ftp://127.0.0.1:$FTP_PORT/pub/" "$BIN" --gtest_filter='FtpRealServer.*' >"$KI_WORK/g.log" 2>&1
rc=$?
grep -q '^\[  PASSED  \] 1 test' "$KI_WORK/g.log"; found=$?
if [ $rc -eq 0 ] && [ $found -eq 0 ] && ! grep -q SKIPPED "$KI_WORK/g.log"; then
    pass "FTP client round trip against vsftpd"
else
    fail "FTP client round trip against vsftpd"; tail -n 30 "$KI_WORK/g.log"
fi
