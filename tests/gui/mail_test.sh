#!/usr/bin/env bash
# The mail script commands against a real SMTP server (aiosmtpd on
# 127.0.0.1, storing each message): a mailto link brings up the "Send Mail"
# dialog, mail-field and answer fill and send it, print mail shows it.
#   mail_test.sh VESTRIAL
set -u
vestrial=$1
here=$(cd "$(dirname "$0")/.." && pwd)
dir=$(mktemp -d)
export XDG_CONFIG_HOME=$dir/config
server=
trap '[ -n "$server" ] && kill $server 2>/dev/null; rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
run() { # SCRIPT [ARGS...]: out, err and status of the run
  local script=$1
  shift
  out=$(printf '%s\n' "$script" | timeout 60 "$vestrial" --headless --script - "$@" 2>"$dir/err")
  status=$?
  err=$(cat "$dir/err")
}
free_port() { /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
wait_port() {
  for _ in $(seq 200); do (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0; sleep 0.1; done
  return 1
}
settings() { # NAME EMAIL PORT
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vestrial\\Vestrial\\UserInfo]\r\n"UserName"="%s"\r\n"UserEmail"="%s"\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vestrial\\Vestrial\\Network]\r\n"SmtpServer"="127.0.0.1"\r\n"SmtpServerPort"=dword:%08x\r\n' \
    "$1" "$2" "$3" >"$XDG_CONFIG_HOME/vestrial/registry.reg"
}

/usr/bin/python3 -c 'import aiosmtpd' 2>/dev/null || fail "python3-aiosmtpd is not installed (scripts/setup.sh)"
mkdir -p "$XDG_CONFIG_HOME/vestrial" "$dir/store"
port=$(free_port)
PYTHONPATH=$here/mail /usr/bin/python3 -m aiosmtpd -n -l "127.0.0.1:$port" -c smtp_store.StoreHandler "$dir/store" &
server=$!
wait_port "$port" || fail "aiosmtpd did not start"
# The link is large and first on the page, at its top-left margins.
printf '<title>Contact</title><h1><a href="mailto:bob@example.org?subject=x">Write to Bob</a></h1>\n' >"$dir/page.html"

# A field name the dialog lacks is a mistake found before anything runs.
run 'mail-field bcc eve@example.org' "$dir/page.html"
[ $status = 2 ] && [[ $err == *'line 1: mail-field takes to, cc, subject or body, not "bcc"'* ]] ||
  fail "a wrong field: $status $err"

# Without a sender the link only says what is missing.
settings "" "ann@example.org" "$port"
run 'click 20 20
print mail' "$dir/page.html"
[ $status = 0 ] && [ "$out" = "mail: not shown" ] &&
  [[ $err == *"vestrial: Please make sure that  your user name, email address, and SMTP server are configured correctly in the Preferences dialog."* ]] ||
  fail "missing settings: $status '$out' $err"

settings "Ann Example" "ann@example.org" "$port"
run 'mail-field to "bob@example.org"
mail-field subject "Hello Bob"
mail-field body "first line\n.dotted\nlast"
answer ok
click 20 20
print mail
print status' "$dir/page.html"
[ $status = 0 ] || fail "sending: status $status: $err"
expected='mail: send
to: bob@example.org
cc: 
subject: Hello Bob
body: first line\n.dotted\nlast
Send successful. Connection to SMTP server "127.0.0.1" closed.'
[ "$out" = "$expected" ] || fail "print mail and status: '$out'"
[[ $err == *'Send Mail: Send to "bob@example.org"'* ]] || fail "stderr: $err"
grep -qx 'RCPT TO:bob@example.org' "$dir/store/1.envelope" || fail "envelope: $(cat "$dir/store/1.envelope")"
printf 'To: bob@example.org\r\nSubject: Hello Bob\r\nFrom:Ann Example <ann@example.org>\r\nReply-To:ann@example.org\r\n\r\nfirst line\r\n.dotted\r\nlast\r\n\r\n' |
  cmp - "$dir/store/1.message" || fail "message: $(cat -A "$dir/store/1.message")"

# Cancel, and no answer at all, send nothing; the dialog opens with the link's address.
run 'answer cancel
click 20 20
print mail
click 20 20' "$dir/page.html"
[ $status = 0 ] && [ "$(head -n 2 <<<"$out")" = $'mail: cancel\nto: bob@example.org?subject=x' ] &&
  [[ $err == *'Send Mail: no answer queued: Cancel'* ]] || fail "cancel: $status '$out' $err"
[ -e "$dir/store/2.message" ] && fail "a cancelled mail was sent"
echo "mail test passed"
