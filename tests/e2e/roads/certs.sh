# The certificate road (driver/CertsRoad.cpp): the board keeps each key and
# certificate block written (state/keys-N.blk, cert-N.blk).

# A small CA and a certificate it signed, with its key, in a PKCS#12 file
# under the old RC2-40 encryption.
road_prepare() {
  local d=$work/road
  openssl req -x509 -newkey rsa:1024 -nodes -keyout "$d/ca.key" -out "$d/ca.pem" -days 30 \
    -subj "/CN=Road Test CA" 2>/dev/null &&
    openssl req -new -newkey rsa:1024 -nodes -keyout "$d/leaf.key" -out "$d/leaf.csr" \
      -subj "/C=KR/O=Zarvo/CN=imported-road.example" 2>/dev/null &&
    openssl x509 -req -in "$d/leaf.csr" -CA "$d/ca.pem" -CAkey "$d/ca.key" -CAcreateserial \
      -out "$d/leaf.pem" -days 30 2>/dev/null &&
    openssl pkcs12 -export -legacy -in "$d/leaf.pem" -inkey "$d/leaf.key" -certfile "$d/ca.pem" \
      -passout pass:road-secret -out "$d/road.p12"
}

# The Nth blocks read: the report in $work/blocks-N.txt, the certificate in $work/cert-N.der.
blocks() {
  "$packer" key-blocks "$work/state/keys-$1.blk" "$work/state/cert-$1.blk" "$work/cert-$1.der" \
    >"$work/blocks-$1.txt" 2>&1
}
subject() { openssl x509 -inform DER -in "$work/cert-$1.der" -noout -subject -nameopt utf8,sep_comma_plus; }

self_signed_blocks() {
  blocks 1 && grep -q "^RSA p\*q is the certificate's modulus (1024 bits)" "$work/blocks-1.txt" &&
    grep -q "^DSA p 1024 bits, q 160 bits" "$work/blocks-1.txt" && grep -q "^self-signed" "$work/blocks-1.txt"
}
self_signed_subject() {
  subject 1 | grep -Eq "^subject=C=KR,.*O=(Zarvo Road Test|자르보 연구소),OU=Research Team,CN=zarvo-road.example,"
}
imported_blocks() {
  blocks 2 && grep -q "^RSA p\*q" "$work/blocks-2.txt" && ! grep -q "^DSA" "$work/blocks-2.txt"
}
imported_certificate() {
  subject 2 | grep -q "CN=imported-road.example" &&
    openssl x509 -inform DER -in "$work/cert-2.der" -out "$work/cert-2.pem" &&
    openssl verify -CAfile "$work/road/ca.pem" "$work/cert-2.pem" >/dev/null
}
written_in_order() {
  [ "$(grep -o 'block stored: 04/2[24]' "$work/sim.log" | cut -c 18- | tr '\n' ' ')" = "22 24 22 24 " ]
}

road_check() {
  check "the self-signed blocks are well-formed, p*q is the modulus, the DSA key sound" self_signed_blocks
  check "the self-signed certificate has the subject typed" self_signed_subject
  check "the imported blocks hold its own key and no DSA key" imported_blocks
  check "the imported certificate is the CA-signed one" imported_certificate
  check "the board was given two key blocks, each before its certificate block" written_in_order
  [ "$rc" = 0 ] || cat "$work"/blocks-*.txt 2>/dev/null
}
