#!/usr/bin/env bash
# Under Xvfb: a mailto link in the window brings up the "Send Mail" dialog
# with the link's address; a subject and a body typed with xdotool and the
# Send button deliver the mail to a real SMTP server (aiosmtpd on 127.0.0.1).
# Runs under with_xvfb.sh, which sets DISPLAY.
#   mail_window_test.sh VESTRIAL [PICTURE]   (PICTURE: keep the dialog's picture)
set -u
vestrial=$1
picture=${2:-}
here=$(cd "$(dirname "$0")/.." && pwd)
dir=$(mktemp -d)
export XDG_CONFIG_HOME=$dir/config
pid=
server=
trap '[ -n "$pid" ] && kill $pid 2>/dev/null; [ -n "$server" ] && kill $server 2>/dev/null; rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
free_port() { /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
wait_port() {
  for _ in $(seq 200); do (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0; sleep 0.1; done
  return 1
}

/usr/bin/python3 -c 'import aiosmtpd' 2>/dev/null || fail "python3-aiosmtpd is not installed (scripts/setup.sh)"
mkdir -p "$XDG_CONFIG_HOME/vestrial" "$dir/store"
port=$(free_port)
PYTHONPATH=$here/mail /usr/bin/python3 -m aiosmtpd -n -l "127.0.0.1:$port" -c smtp_store.StoreHandler "$dir/store" &
server=$!
wait_port "$port" || fail "aiosmtpd did not start"
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vestrial\\Vestrial\\UserInfo]\r\n"LoadHomePage"=dword:00000000\r\n"UserName"="Ann Example"\r\n"UserEmail"="ann@example.org"\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vestrial\\Vestrial\\Network]\r\n"SmtpServer"="127.0.0.1"\r\n"SmtpServerPort"=dword:%08x\r\n' \
  "$port" >"$XDG_CONFIG_HOME/vestrial/registry.reg"
# The link is large and first on the page, so a click near the page's
# top-left corner lands on it whatever the fonts measure.
printf '<html><head><title>Contact</title></head><body><h1><a href="mailto:bob@example.org">Write a letter to Bob now</a></h1></body></html>\n' >"$dir/page.html"

"$vestrial" "$dir/page.html" &
pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Contact - Vestrial$' | head -n 1)
[ -n "$window" ] || fail "the page did not open"
# The page area starts below the menu, tool and location bars.
xdotool mousemove --window "$window" 60 118 click 1
dialog=$(timeout 20 xdotool search --sync --onlyvisible --name '^Send Mail$' | head -n 1)
[ -n "$dialog" ] || fail "the Send Mail dialog did not appear"
# No window manager runs under Xvfb: focus the dialog directly. To has the
# focus; Tab goes on to Subject, cc and the body, where Return breaks lines.
xdotool windowfocus --sync "$dialog" key Tab type --delay 5 'Typed subject'
xdotool key Tab Tab type --delay 5 'Typed in the window.'
xdotool key Return type --delay 5 '.and a dotted line'
if [ -n "$picture" ]; then /usr/bin/import -window "$dialog" "$picture" 2>/dev/null; fi
# Send sits left of Cancel at the bottom right of the 520 x 400 dialog.
xdotool mousemove --window "$dialog" 380 377 click 1
for _ in $(seq 200); do [ -e "$dir/store/1.envelope" ] && break; sleep 0.1; done
[ -e "$dir/store/1.envelope" ] || fail "no mail arrived"
grep -qx 'RCPT TO:bob@example.org' "$dir/store/1.envelope" || fail "envelope: $(cat "$dir/store/1.envelope")"
printf 'To: bob@example.org\r\nSubject: Typed subject\r\nFrom:Ann Example <ann@example.org>\r\nReply-To:ann@example.org\r\n\r\nTyped in the window.\r\n.and a dotted line\r\n\r\n' |
  cmp - "$dir/store/1.message" || fail "message: $(cat -A "$dir/store/1.message")"

xdotool windowfocus --sync "$window" key Escape
timeout 10 tail --pid=$pid -f /dev/null || fail "the program did not end when its window closed"
wait $pid
status=$?
pid=
[ $status -eq 0 ] || fail "exit status $status"
echo "mail window test passed"
