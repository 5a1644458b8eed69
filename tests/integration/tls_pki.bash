# A throwaway certificate authority and the server certificates the https
# tests need, made with openssl in DIR:
#   ca.pem          the test CA (what --ca-file trusts)
#   good.pem/.key   127.0.0.1 and localhost, signed by the CA
#   expired.pem     the same names, signed by the CA, validity over last year
#   wrongname.pem   signed by the CA for another.example only
#   stranger.pem    self-signed: its issuer is nobody the client knows
make_test_pki() {
    local d=$1
    mkdir -p "$d/ca-db"
    : > "$d/ca-db/index.txt"
    echo 1000 > "$d/ca-db/serial"
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$d/ca.key" -out "$d/ca.pem" -days 30 \
        -subj "/CN=Kestrune Test CA" 2>/dev/null || return 1
    cat > "$d/ca.cnf" <<CNF
[ ca ]
default_ca = test
[ test ]
database = $d/ca-db/index.txt
serial = $d/ca-db/serial
new_certs_dir = $d/ca-db
certificate = $d/ca.pem
private_key = $d/ca.key
default_md = sha256
policy = anything
unique_subject = no
copy_extensions = copy
[ anything ]
commonName = supplied
[ leaf ]
basicConstraints = CA:FALSE
extendedKeyUsage = serverAuth
subjectAltName = \${ENV::KS_SAN}
CNF
    # leaf NAME SAN [CA-ARGS...]
    leaf() {
        local name=$1 san=$2; shift 2
        openssl req -new -newkey rsa:2048 -nodes -keyout "$d/$name.key" -out "$d/$name.csr" \
            -subj "/CN=$name" 2>/dev/null || return 1
        KS_SAN=$san openssl ca -batch -config "$d/ca.cnf" -extensions leaf -notext \
            -in "$d/$name.csr" -out "$d/$name.pem" "$@" 2>/dev/null || return 1
    }
    leaf good "IP:127.0.0.1,DNS:localhost" -days 30 || return 1
    leaf expired "IP:127.0.0.1,DNS:localhost" \
        -startdate 20200101000000Z -enddate 20210101000000Z || return 1
    leaf wrongname "DNS:another.example" -days 30 || return 1
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$d/stranger.key" -out "$d/stranger.pem" \
        -days 30 -subj "/CN=127.0.0.1" -addext "subjectAltName=IP:127.0.0.1" 2>/dev/null
}

# start_tls_nginx ROOTDIR PKIDIR -> sets TLS_PORT: one nginx serving ROOTDIR over
# TLS 1.2/1.3 with PKIDIR's good certificate (common.bash stops it).
start_tls_nginx() {
    local root=$1 pki=$2 pfx="$KI_WORK/nginx-tls"
    TLS_PORT=$(free_port)
    nginx_conf "$pfx" "    access_log off;
    sendfile on;
    server {
        listen 127.0.0.1:$TLS_PORT ssl;
        ssl_certificate $pki/good.pem;
        ssl_certificate_key $pki/good.key;
        ssl_protocols TLSv1.2 TLSv1.3;
        root $root;
    }"
    run_nginx "$pfx"
    wait_port "$TLS_PORT" || { cat "$pfx/logs/"*; return 1; }
}

# start_tls_cases ROOTDIR PKIDIR CERT... -> TLS_CASE_PORT[CERT], TLS_CASE_LOG: one
# nginx with a TLS 1.2/1.3 server per certificate of PKIDIR, all serving ROOTDIR.
# The log has port, method, path, status, Range, protocol and SNI per request.
start_tls_cases() {
    local root=$1 pki=$2; shift 2
    local pfx="$KI_WORK/nginx-cases" servers="" cert port
    declare -gA TLS_CASE_PORT=()
    TLS_CASE_LOG="$pfx/logs/access.log"
    for cert in "$@"; do
        port=$(free_port)
        TLS_CASE_PORT[$cert]=$port
        servers+="    server { listen 127.0.0.1:$port ssl; ssl_certificate $pki/$cert.pem;
             ssl_certificate_key $pki/$cert.key; ssl_protocols TLSv1.2 TLSv1.3; root $root; }
"
    done
    nginx_conf "$pfx" "    log_format tls '\$server_port \$request_method \$uri \$status \"\$http_range\" \$ssl_protocol \"\$ssl_server_name\"';
    access_log $TLS_CASE_LOG tls;
$servers"
    run_nginx "$pfx"
    for cert in "$@"; do
        wait_port "${TLS_CASE_PORT[$cert]}" || { cat "$pfx/logs/"*; return 1; }
    done
}
