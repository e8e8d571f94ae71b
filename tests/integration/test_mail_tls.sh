#!/bin/bash
# POP3 over TLS (port 995) against dovecot on 127.0.0.1, serving the test
# services' mailbox (user u, password p, two messages) with TLS only:
# 1. its certificate is signed by a test authority made here with openssl and
#    trusted through SSL_CERT_FILE (never the system's store): the check shows
#    the count, and dovecot logs a TLS login;
# 2. the client trusts another authority only: the check shows "!" with the
#    reason in the tool tip, and no login reaches the server.
# Port 995 needs root; the test runs in a private network namespace (unshare)
# so that it never meets another program's port 995, else on this machine's
# 127.0.0.1 when nothing listens on 995.
# Run by ctest under services.sh; $1 is the program, the test binaries live beside it.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
prog=$1
tests=$(build_dir_of "$prog")/tests/test_mail
[[ -x $tests ]] || { fail "no test binary at $tests"; finish; }
D=${TARVIK_SERVICES_DIR:-}/dovecot
if [[ -z ${TARVIK_POP3_PORT:-} || ! -f $D/passwd ]]; then
  echo "SKIP: no mailbox in the test services (they need root)"
  exit 0
fi

if [[ ${1:-} != --inner ]] && [[ ${2:-} != --inner ]]; then
  T=$(mktemp -d /tmp/tarvik-pop3s.XXXXXX)
  chmod 755 "$T"
  export T
  trap 'if ((TK_FAILURES == 0)); then rm -rf "$T"; else echo "POP3S test files kept in $T" >&2; fi' EXIT
  # The authorities and the server's certificate, valid two days.
  cle() { openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:prime256v1 -out "$1" 2>/dev/null; }
  cle "$T/ca.key"; cle "$T/autre.key"; cle "$T/serveur.key"
  openssl req -x509 -new -key "$T/ca.key" -days 2 -subj "/CN=Tarvik test authority" -out "$T/ca.pem" 2>/dev/null
  openssl req -x509 -new -key "$T/autre.key" -days 2 -subj "/CN=Another authority" -out "$T/autre.pem" 2>/dev/null
  openssl req -new -key "$T/serveur.key" -subj "/CN=127.0.0.1" -out "$T/serveur.csr" 2>/dev/null
  printf 'subjectAltName=IP:127.0.0.1,DNS:localhost\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' >"$T/ext"
  openssl x509 -req -in "$T/serveur.csr" -CA "$T/ca.pem" -CAkey "$T/ca.key" -CAcreateserial -days 2 \
    -extfile "$T/ext" -out "$T/serveur.pem" 2>/dev/null
  check "the test authority signed the server's certificate" \
    openssl verify -CAfile "$T/ca.pem" "$T/serveur.pem"
  if unshare --net true 2>/dev/null; then
    echo "private network namespace for port 995"
    unshare --net bash "$0" "$prog" --inner
    code=$?
  elif ! nc -z 127.0.0.1 995 2>/dev/null; then
    echo "no private network namespace: port 995 of this machine's 127.0.0.1"
    bash "$0" "$prog" --inner
    code=$?
  else
    echo "SKIP: port 995 is taken and no private network namespace can be made"
    exit 0
  fi
  ((code == 0)) || fail "POP3S checks"
  finish
fi

# ------------------------------------------------- inside the namespace
ip link set lo up 2>/dev/null || true
mkdir -p "$T/run" "$T/state"
cat >"$T/dovecot.conf" <<CONF
base_dir = $T/run
state_dir = $T/state
log_path = $T/dovecot.log
listen = 127.0.0.1
protocols = pop3
ssl = required
ssl_cert = <$T/serveur.pem
ssl_key = <$T/serveur.key
disable_plaintext_auth = yes
auth_mechanisms = plain
auth_failure_delay = 0
first_valid_uid = 1
passdb {
  driver = passwd-file
  args = scheme=PLAIN username_format=%u $D/passwd
}
userdb {
  driver = static
  args = uid=nobody gid=nogroup home=$D/mail/%u
}
mail_location = maildir:~/Maildir
service pop3-login {
  inet_listener pop3 {
    port = 0
  }
  inet_listener pop3s {
    address = 127.0.0.1
    port = 995
    ssl = yes
  }
}
service imap-login {
  inet_listener imap {
    port = 0
  }
  inet_listener imaps {
    port = 0
  }
}
CONF
dovecot -F -c "$T/dovecot.conf" >"$T/dovecot.out" 2>&1 &
dpid=$!
trap 'kill $dpid 2>/dev/null; wait $dpid 2>/dev/null' EXIT
tls_ready() { printf 'QUIT\r\n' | timeout 5 openssl s_client -quiet -CAfile "$T/ca.pem" -connect 127.0.0.1:995 2>/dev/null | grep '^+OK' >/dev/null; }
if ! wait_for tls_ready 20; then
  fail "dovecot with TLS on 127.0.0.1:995"
  cat "$T/dovecot.out" "$T/dovecot.log" >&2 2>/dev/null
  finish
fi
logins() { grep -c 'pop3-login: .*Login: user=<u>.*TLS' "$T/dovecot.log" 2>/dev/null; }

avant=$(logins)
out=$(TARVIK_POP3S=1 SSL_CERT_FILE=$T/ca.pem QT_QPA_PLATFORM=offscreen \
  "$tests" --gtest_filter='MailLiveTls.ACertificateOfATrustedAuthorityGivesTheCount' 2>&1)
code=$?
echo "$out"
expect_eq "trusted authority: the count over TLS" 0 "$code"
grep -q '^\[  SKIPPED \]' <<<"$out" && fail "the trusted case was skipped"
check "dovecot logged a login over TLS" test "$(logins)" -gt "$avant"

avant=$(logins)
out=$(TARVIK_POP3S=1 SSL_CERT_FILE=$T/autre.pem QT_QPA_PLATFORM=offscreen \
  "$tests" --gtest_filter='MailLiveTls.AnUntrustedCertificateShowsTheError' 2>&1)
code=$?
echo "$out"
expect_eq "untrusted certificate: \"!\"" 0 "$code"
grep -q '^\[  SKIPPED \]' <<<"$out" && fail "the untrusted case was skipped"
expect_eq "no login reached the server" "$avant" "$(logins)"
finish
