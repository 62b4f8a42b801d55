#!/usr/bin/env bash
# Another local user who can write to the folder of the linked brain-dump
# file swaps the file for a link into the user's home, or for a file of their
# own: the next brain-dump edit must not write through the link or into their
# file, must say why, and must keep the text in the store.
# Usage: braindump_link_swap.sh path/to/cadro
cadro=$1
if [ "$(id -u)" -ne 0 ]; then
  echo "SKIP: needs root to create a second local user"
  exit 0
fi
# shellcheck source-path=SCRIPTDIR source=../e2e/app_env.sh
source "$(dirname "$0")/../e2e/app_env.sh"

other=cadro-other-$$
useradd --no-create-home --shell /usr/sbin/nologin "$other"
trap 'userdel -r "$other" 2>/dev/null || userdel "$other" 2>/dev/null || true; cleanup' EXIT
as_other() { setpriv --reuid="$other" --regid="$other" --init-groups -- "$@"; }

export HOME=$work/home
mkdir -p "$HOME"
chmod 755 "$work"
shared=$work/shared # the other user may write here (no sticky bit)
mkdir -m 777 "$shared"
notes=$shared/notes.md

# Links the user's file, lets the other user put `$1` in its place, and
# appends to the brain dump.
swap_then_edit() {
  local case=$1
  rm -f "$notes"
  printf -- '- mine\n' >"$notes"
  "$cadro" brain-dump --link "$notes" >/dev/null || fail "$case: linking failed"
  rm -f "$notes"
  case $case in
    link) as_other ln -s "$HOME/.bash_login" "$notes" ;;
    foreign) as_other sh -c "printf -- '- theirs\n' >'$notes'" ;;
  esac
  exits 1 "$cadro" brain-dump --append "- secret" || true
  [ ! -e "$HOME/.bash_login" ] || fail "$case: the edit created ~/.bash_login"
  grep -q -- '- secret' "$notes" 2>/dev/null && fail "$case: the edit went into the other user's file"
  [ "$status" -eq 1 ] || fail "$case: the edit exited $status, not 1"
  grep -q "$notes" "$work/last.err" || fail "$case: no message names the file: $(cat "$work/last.err")"
  "$cadro" brain-dump | grep -q -- '- secret' || fail "$case: the edit is not kept in the store"
  "$cadro" brain-dump --unlink >/dev/null
}
swap_then_edit link
swap_then_edit foreign

# The user's own link, chosen when linking, keeps working, and so does a file
# the user's editor replaced.
printf -- '- vault\n' >"$HOME/vault.md"
ln -s "$HOME/vault.md" "$HOME/notes-link.md"
"$cadro" brain-dump --link "$HOME/notes-link.md" >/dev/null || fail "a chosen link was refused"
"$cadro" brain-dump --append "- more" >/dev/null || fail "writing through a chosen link failed"
[ "$(cat "$HOME/vault.md")" = "$(printf -- '- vault\n- more')" ] || fail "the chosen file was not written"
printf -- '- saved by an editor\n' >"$HOME/vault.md.new" && mv "$HOME/vault.md.new" "$HOME/vault.md"
"$cadro" brain-dump --append "- after" >/dev/null || fail "a file an editor replaced was refused"
grep -q -- '- after' "$HOME/vault.md" || fail "the edit after an editor's save is missing"
