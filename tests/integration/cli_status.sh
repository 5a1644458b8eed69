# kestrune-cli status: the connection, its proxies and the scheduler, as set
# with config; the password never shows.
source "$KESTRUNE_ROOT/tests/integration/common.bash"
K=(--home "$KI_WORK/home")
S="$KI_WORK/status.txt"
status() { "$CLI" "${K[@]}" status > "$S" 2>&1; }

status
check "status runs on a fresh folder" test $? -eq 0
check "no dial-up by default" grep -qx "Connection: LAN Settings (not using dial-up)" "$S"
check "no HTTP proxy by default" grep -qx "HTTP proxy: none" "$S"
check "active FTP by default" grep -qx "FTP data connections: active (PORT)" "$S"
check "scheduler off by default" grep -qx "Scheduler: off" "$S"

for kv in "useHTTPProxy yes" "HTTPProxyServer 127.0.0.1" "HTTPProxyPort 3128" \
          "FTPProxyserver fw.lan" "FTPProxyport 2121" "FTPProxyusername fwuser" \
          "FTPProxypassword s3cret" "FTPProxylogontype 6" "FTPProxypassive yes"; do
    "$CLI" "${K[@]}" config "LAN Settings" $kv
done
for kv in "enable yes" "monday yes" "starthour 22" "startmin 15" "endhour 23" "endmin 30" "expire yes"; do
    "$CLI" "${K[@]}" config Scheduler $kv
done
status
check "HTTP proxy shown" grep -qx "HTTP proxy: 127.0.0.1:3128" "$S"
check "FTP proxy shown with its logon type" \
    grep -qx "FTP proxy: fw.lan:2121, logon type 6 (USER FireID@RemoteHost), user fwuser" "$S"
check "passive FTP shown" grep -qx "FTP data connections: passive (PASV)" "$S"
check "the password is not shown" bash -c "! grep -q s3cret '$S'"
check "nor stored in clear" bash -c "! grep -q s3cret '$KI_WORK/home/kestrune.ini'"
check "scheduler on" grep -qx "Scheduler: on" "$S"
check "next start on a Monday at 22:15" grep -qE "^Next start: [0-9-]+ 22:15 \(Monday\)$" "$S"
check "next stop at 23:30 with the hang-up" grep -qE "^Next stop: [0-9-]+ 23:30 \(.*\), then hang up$" "$S"
