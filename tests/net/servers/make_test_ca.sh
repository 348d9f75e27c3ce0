#!/bin/sh
# Makes a test certificate authority and three server certificates in DIR:
#   good.crt    localhost, 127.0.0.1 and ::1, valid now
#   other.crt   only the name other.invalid
#   expired.crt localhost and 127.0.0.1, expired in 2020
# and ca.crt, the bundle clients trust. Usage: make_test_ca.sh DIR
set -eu
dir=$1
cd "$dir"
key() { openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:prime256v1 -out "$1" 2>/dev/null; }
key ca.key
openssl req -x509 -key ca.key -out ca.crt -subj /CN=Velkoran-Test-CA -days 3650 2>/dev/null
cat > ca.cnf <<CNF
[ca]
default_ca = test
[test]
database = $dir/index.txt
new_certs_dir = $dir
serial = $dir/serial
default_md = sha256
policy = any
unique_subject = no
[any]
commonName = supplied
[good]
subjectAltName = DNS:localhost, IP:127.0.0.1, IP:::1
[other]
subjectAltName = DNS:other.invalid
CNF
: > index.txt
echo 1000 > serial
sign() { # name extensions startdate enddate
  key "$1.key"
  openssl req -new -key "$1.key" -out "$1.csr" -subj "/CN=$1" 2>/dev/null
  openssl ca -batch -notext -config ca.cnf -cert ca.crt -keyfile ca.key -in "$1.csr" -out "$1.crt" \
    -extfile ca.cnf -extensions "$2" -startdate "$3" -enddate "$4" 2>/dev/null
}
sign good good 20200101000000Z 20491231000000Z
sign other other 20200101000000Z 20491231000000Z
sign expired good 20200101000000Z 20200201000000Z
