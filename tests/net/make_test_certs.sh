#!/usr/bin/env bash
# Makes the certificates the https tests serve, with the openssl command:
#   ca.pem          the authority the tests trust (SSL_CERT_FILE)
#   valid.pem       localhost, vestrial.test and 127.0.0.1, from that authority
#   other-name.pem  other.test only, from that authority
#   expired.pem     the names of valid.pem, but valid only in January 2020
#   untrusted.pem   the names of valid.pem, from an authority nobody trusts
# Each server file holds the certificate and then its key, as lighttpd's
# ssl.pemfile takes them.
#   make_test_certs.sh DIR
set -euo pipefail
dir=$1
mkdir -p "$dir/issued"
cd "$dir"
: >index.txt
echo 1000 >serial

key() { openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$1" 2>/dev/null; }

authority() { # NAME CN
  key "$1.key"
  cat >"$1-req.cnf" <<CNF
[req]
distinguished_name = dn
prompt = no
x509_extensions = ext
[dn]
CN = $2
[ext]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
CNF
  openssl req -x509 -new -config "$1-req.cnf" -key "$1.key" -days 3650 -out "$1.pem"
}

cat >signing.cnf <<CNF
[ca]
default_ca = test
[test]
dir = .
database = index.txt
new_certs_dir = issued
serial = serial
default_md = sha256
policy = any
copy_extensions = copy
unique_subject = no
[any]
commonName = supplied
CNF

server() { # NAME AUTHORITY SUBJECT-ALT-NAMES START END
  key "$1.key"
  openssl req -new -key "$1.key" -subj "/CN=$1" -addext "subjectAltName=$3" -out "$1.csr"
  openssl ca -batch -notext -config signing.cnf -cert "$2.pem" -keyfile "$2.key" -in "$1.csr" \
    -startdate "$4" -enddate "$5" -out "$1.crt" 2>"$1.log" || { cat "$1.log" >&2; exit 1; }
  cat "$1.crt" "$1.key" >"$1.pem"
}

authority ca "Vestrial Test Authority"
authority stranger "Nobody's Authority"
names="DNS:localhost,DNS:vestrial.test,IP:127.0.0.1"
server valid ca "$names" 20200101000000Z 20991231000000Z
server other-name ca "DNS:other.test" 20200101000000Z 20991231000000Z
server expired ca "$names" 20200101000000Z 20200201000000Z
server untrusted stranger "$names" 20200101000000Z 20991231000000Z
