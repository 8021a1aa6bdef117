# Sourced: a local timestamp authority for the release tests (tests/release/tsa_server.py).
#   tsa_start DIR   makes a throwaway CA and TSA certificate in DIR, starts the server, sets TSA_URL,
#                   TSA_CA (the CA to verify timestamps with) and TSA_PID
#   tsa_stop        stops it

tsa_start() # DIR
{
    local dir=$1 i
    mkdir -p "$dir"
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$dir/ca.key" -out "$dir/ca.pem" -days 2 \
        -subj "/CN=Vessop test timestamp CA" -addext "basicConstraints=critical,CA:true" \
        -addext "keyUsage=critical,keyCertSign" >"$dir/openssl.log" 2>&1 || return 1
    openssl req -newkey rsa:2048 -nodes -keyout "$dir/tsa.key" -out "$dir/tsa.csr" -subj "/CN=Vessop test TSA" \
        >>"$dir/openssl.log" 2>&1 || return 1
    printf 'extendedKeyUsage=critical,timeStamping\nbasicConstraints=CA:false\n' >"$dir/tsa.ext"
    openssl x509 -req -in "$dir/tsa.csr" -CA "$dir/ca.pem" -CAkey "$dir/ca.key" -CAcreateserial -days 2 \
        -extfile "$dir/tsa.ext" -out "$dir/tsa.pem" >>"$dir/openssl.log" 2>&1 || return 1
    echo 01 >"$dir/serial"
    cat >"$dir/tsa.cnf" <<CNF
[ tsa ]
default_tsa = tsa_config
[ tsa_config ]
serial = $dir/serial
crypto_device = builtin
signer_cert = $dir/tsa.pem
certs = $dir/ca.pem
signer_key = $dir/tsa.key
signer_digest = sha256
default_policy = 1.3.6.1.4.1.99999.1
digests = sha1, sha256, sha384, sha512
accuracy = secs:1
ordering = yes
tsa_name = yes
ess_cert_id_chain = no
ess_cert_id_alg = sha256
CNF
    python3 "$(dirname "${BASH_SOURCE[0]}")/tsa_server.py" "$dir" >"$dir/server.log" 2>&1 &
    TSA_PID=$!
    for i in $(seq 1 100); do
        [ -s "$dir/port" ] && break
        kill -0 "$TSA_PID" 2>/dev/null || return 1
        sleep 0.05
    done
    [ -s "$dir/port" ] || return 1
    TSA_URL="http://127.0.0.1:$(cat "$dir/port")/"
    TSA_CA=$dir/ca.pem
}

tsa_stop()
{
    if [ -n "${TSA_PID:-}" ]; then
        kill "$TSA_PID" 2>/dev/null || true
        wait "$TSA_PID" 2>/dev/null || true
    fi
    TSA_PID=""
    return 0
}
