# Test servers on 127.0.0.1 for the revocation tests, each a child process of the test that is stopped
# with it: OpenLDAP's slapd with a configuration written here (no system service), a server that
# accepts connections and never answers, and a plain HTTP server. Sourced; the caller's cleanup calls
# test_servers_stop.

TEST_SERVER_PIDS=()

test_servers_stop()
{
    local pid
    for pid in "${TEST_SERVER_PIDS[@]}"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
    TEST_SERVER_PIDS=()
}

free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }

# Starts slapd on a free port with an empty database under c=KR in DIR (its log is DIR/slapd.log, one
# line per accepted connection among others) and waits until it answers. Sets SLAPD_PORT.
slapd_start() # SLAPD DIR
{
    local slapd=$1 dir=$2
    mkdir -p "$dir/db"
    SLAPD_PORT=$(free_port)
    cat >"$dir/slapd.conf" <<CONF
include /etc/ldap/schema/core.schema
include /etc/ldap/schema/cosine.schema
modulepath /usr/lib/ldap
moduleload back_mdb
pidfile $dir/slapd.pid
database mdb
maxsize 104857600
suffix "c=KR"
rootdn "cn=admin,c=KR"
rootpw secret
directory $dir/db
access to * by * read
CONF
    # -d 256 (stats) logs every connection: a test can tell that nobody called.
    "$slapd" -f "$dir/slapd.conf" -h "ldap://127.0.0.1:$SLAPD_PORT/" -d 256 >"$dir/slapd.log" 2>&1 &
    TEST_SERVER_PIDS+=($!)
    local _
    for _ in $(seq 50); do
        ldapsearch -x -H "ldap://127.0.0.1:$SLAPD_PORT" -b "" -s base >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

# Adds entries from an LDIF file as the directory's administrator.
slapd_add() # DIR LDIF
{
    ldapadd -x -H "ldap://127.0.0.1:$SLAPD_PORT" -D "cn=admin,c=KR" -w secret -f "$2" >"$1/ldapadd.log" 2>&1
}

# The entries above the test CA's distribution points: ou=crldp,ou=AccreditedCA,o=TestCA,c=KR, as the
# licensed CAs lay out theirs.
slapd_add_base() # DIR
{
    cat >"$1/base.ldif" <<LDIF
dn: c=KR
objectClass: country
c: KR

dn: o=TestCA,c=KR
objectClass: organization
o: TestCA

dn: ou=AccreditedCA,o=TestCA,c=KR
objectClass: organizationalUnit
ou: AccreditedCA

dn: ou=crldp,ou=AccreditedCA,o=TestCA,c=KR
objectClass: organizationalUnit
ou: crldp
LDIF
    slapd_add "$1" "$1/base.ldif"
}

# How many connections slapd has accepted so far (the probes of slapd_start among them).
slapd_connections() # DIR
{
    grep -c 'ACCEPT from' "$1/slapd.log" 2>/dev/null || true
}

# A server that accepts connections and never says a word; each accepted connection adds a line to
# FILE. Sets SILENT_PORT.
silent_server_start() # FILE
{
    SILENT_PORT=$(free_port)
    python3 -c '
import socket, sys
s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("127.0.0.1", int(sys.argv[1]))); s.listen(8)
held = []
while True:
    c, _ = s.accept(); held.append(c)
    with open(sys.argv[2], "a") as log: log.write("accepted\n")' "$SILENT_PORT" "$1" &
    TEST_SERVER_PIDS+=($!)
}

# Serves the files of FOLDER over HTTP; each request adds a line to LOG. Sets HTTP_PORT and waits
# until it answers.
http_server_start() # FOLDER LOG
{
    HTTP_PORT=$(free_port)
    python3 -m http.server --bind 127.0.0.1 --directory "$1" "$HTTP_PORT" >>"$2" 2>&1 &
    TEST_SERVER_PIDS+=($!)
    local _
    for _ in $(seq 50); do
        python3 -c 'import socket, sys; socket.create_connection(("127.0.0.1", int(sys.argv[1])), 1)' "$HTTP_PORT" \
            2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}
