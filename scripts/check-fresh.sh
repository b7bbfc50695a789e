#!/usr/bin/env bash
# Proves that the README's two commands work from a fresh clone: copies the
# tree (tracked files and new files not ignored, no build directories) to a
# scratch directory and runs scripts/test.sh there, then scripts/run.sh under
# Xvfb until its window shows.
#
#   scripts/check-fresh.sh [--remove-recommends] [--keep] [TEST-PRESET...]
#
# --remove-recommends  first remove every installed package that the set-up's
#                      packages only recommend (fluid, for one), so that the
#                      machine holds what a fresh machine would after the
#                      set-up. Root only, and meant for a scratch machine: it
#                      shows what it will remove before removing it. Without
#                      this flag nothing is ever removed.
# --keep               leave the scratch copy in place and print its path.
# TEST-PRESET...       passed to scripts/test.sh (default: every preset).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

remove=0 keep=0 presets=()
for arg in "$@"; do
  case $arg in
    --remove-recommends) remove=1 ;;
    --keep) keep=1 ;;
    -*) echo "check-fresh: unknown option $arg" >&2; exit 2 ;;
    *) presets+=("$arg") ;;
  esac
done

# The packages the set-up installs, read from the script itself.
setup_packages() {
  sed -n '/^packages=(/,/^)/p' "$top/scripts/setup.sh" | sed 's/#.*//' |
    tr ' ' '\n' | grep -E '^[a-z0-9][a-z0-9.+-]+$' | grep -v '^packages' | sort -u
}

# Installed packages that some set-up package (or one it depends on) only
# recommends, and that nothing installed by the set-up depends on. Packages of
# priority required, important or standard are on every Debian machine
# whatever the set-up does, so they stay.
recommended_only() {
  local wanted depends
  wanted=$(setup_packages)
  depends=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts \
              --no-breaks --no-replaces --no-enhances $wanted 2>/dev/null |
            grep -E '^[a-z0-9]' | sed 's/:.*//' | sort -u)
  apt-cache depends --no-depends --no-pre-depends --no-suggests --no-conflicts \
      --no-breaks --no-replaces --no-enhances $depends 2>/dev/null |
    sed -n 's/^ *Recommends: //p' | grep -v '^<' | sort -u |
    comm -23 - <(printf '%s\n' "$depends") |
    while read -r package; do
      dpkg-query -W -f='${Status} ${Priority}\n' "$package" 2>/dev/null |
        grep -q 'install ok installed \(optional\|extra\)' && echo "$package"
    done || true
}

if [ $remove -eq 1 ]; then
  [ "$(id -u)" -eq 0 ] || { echo "check-fresh: --remove-recommends needs root" >&2; exit 2; }
  # The set-up must be able to install the rest again, so make sure it ran.
  "$top/scripts/setup.sh"
  extra=$(recommended_only)
  if [ -n "$extra" ]; then
    echo "check-fresh: removing packages that are only recommended: $extra"
    # Refuse when removing them would take a package the set-up needs with it.
    plan=$(apt-get -s remove $extra | sed -n 's/^Remv \([^ ]*\).*/\1/p' | sed 's/:.*//')
    needed=$(comm -12 <(printf '%s\n' $plan | sort -u) <(setup_packages))
    [ -z "$needed" ] || { echo "check-fresh: would also remove $needed; stopping" >&2; exit 1; }
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq $extra
  else
    echo "check-fresh: no package here is only recommended"
  fi
fi

scratch=$(mktemp -d /tmp/vestrial-fresh.XXXXXX)
if [ $keep -eq 1 ]; then
  trap 'echo "check-fresh: the copy is in $scratch"' EXIT
else
  trap 'rm -rf "$scratch"' EXIT
fi
(cd "$top" && git ls-files -z --cached --others --exclude-standard |
  xargs -0 cp --parents -t "$scratch")
cd "$scratch"
git init -q && git add -A && git -c user.name=check -c user.email=check@localhost commit -qm fresh

echo "check-fresh: scripts/test.sh ${presets[*]} in $scratch"
scripts/test.sh "${presets[@]}"

echo "check-fresh: scripts/run.sh under Xvfb"
cat >"$scratch/run-window.sh" <<'EOF'
set -u
XDG_CONFIG_HOME=$(mktemp -d) scripts/run.sh about:about.htm >run.log 2>&1 &
pid=$!
window=$(timeout 600 xdotool search --sync --onlyvisible --name ' - Vestrial$' | head -n 1)
status=1
if [ -n "$window" ]; then
  echo "check-fresh: the window is up: $(xdotool getwindowname "$window")"
  status=0
else
  cat run.log
fi
pkill -P $pid 2>/dev/null; kill $pid 2>/dev/null
exit $status
EOF
bash "$top/tests/gui/with_xvfb.sh" bash "$scratch/run-window.sh"
echo "check-fresh: both commands work from a fresh copy"
