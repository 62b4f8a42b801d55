#!/usr/bin/env bash
# Checks an installed Cadro under ROOT (a DESTDIR or an unpacked package) with
# the tools a distribution would use, and that the manual page and the shell
# completions know every command and option that `cadro --help` names.
# Usage: check_installed.sh ROOT PREFIX
set -euo pipefail
root=$1
prefix=$2
dir=$root$prefix
id=$(sed -n 's/.*kAppId = "\([^"]*\)".*/\1/p' "$(dirname "$0")/../../src/core/environment/AppId.h")
fail() { echo "FAIL: $*" >&2; exit 1; }

cadro=$dir/bin/cadro
[[ $("$cadro" --version) == "cadro "* ]] || fail "the installed cadro does not run"

desktop=$dir/share/applications/$id.desktop
desktop-file-validate "$desktop" || fail "desktop entry"
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
[ -x "$dir/bin/$exec_line" ] || fail "the desktop entry starts $exec_line, which is not installed"
grep -qx "Icon=$id" "$desktop" || fail "the desktop entry names another icon"

appstreamcli validate --no-net --explain "$dir/share/metainfo/$id.metainfo.xml" >"$root/appstream.log" ||
  { cat "$root/appstream.log" >&2; fail "metainfo"; }

icons=$dir/share/icons/hicolor
for icon in scalable/apps/$id.svg symbolic/apps/$id-symbolic.svg symbolic/apps/$id-attention-symbolic.svg 48x48/apps/$id.png 256x256/apps/$id.png; do
  [ -s "$icons/$icon" ] || fail "no icon $icon"
done

for page in cadro-tray cadro; do
  man_text=$(MANWIDTH=200 man --warnings -l "$dir/share/man/man1/$page.1.gz" 2>"$root/man.err") ||
    fail "man cannot render the page of $page"
  [ ! -s "$root/man.err" ] || { cat "$root/man.err" >&2; fail "the manual page of $page has warnings"; }
done

bash_file=$dir/share/bash-completion/completions/cadro
zsh_file=$dir/share/zsh/vendor-completions/_cadro
fish_file=$dir/share/fish/vendor_completions.d/cadro.fish
complete_bash() {
  bash -c 'source "$1"; shift; COMP_WORDS=(cadro "$@"); COMP_CWORD=$#; _cadro; printf "%s\n" "${COMPREPLY[@]}"' \
    _ "$bash_file" "$@"
}
complete_zsh() {
  # compadd, _describe and _files stand in for the completion system,
  # printing what would be offered.
  zsh -c 'compadd() { [[ $1 == -- ]] && shift; print -l -- "$@"; }
          _describe() { print -l -- ${(P)${@[-1]}%%:*}; }
          _files() { print -l -- *(N); }
          source "$1" >/dev/null; shift; words=(cadro "$@"); CURRENT=$(( $# + 1 )); _cadro' \
    _ "$zsh_file" "$@"
}
complete_fish() { fish -c "source '$fish_file'; complete -C 'cadro $*'" | cut -f1; }

# Every command `cadro --help` lists, and every option of its own help, is in
# the manual page and completes in each shell.
commands=$("$cadro" --help | sed -n '/^Commands:/,/^$/p' | sed -n 's/^  \([a-z][a-z-]*\).*/\1/p')
[ "$(echo "$commands" | wc -l)" -gt 10 ] || fail "cannot read the commands from cadro --help"
for command in $commands; do
  for shell in bash zsh fish; do
    "complete_$shell" "$command" | grep -x -- "$command" >/dev/null || fail "$shell does not complete $command"
  done
  grep -q -- "^       $command\b" <<<"$man_text" || fail "the manual page lacks $command"
  for option in $("$cadro" "$command" --help | sed -n 's/^  \(--[a-z-]*\).*/\1/p'); do
    grep -q -- "$option" <<<"$(sed -n "/^       $command\b/,/^       [a-z]/p" <<<"$man_text")" ||
      fail "the manual page lacks $command $option"
    complete_bash "$command" -- | grep -x -- "$option" >/dev/null || fail "bash does not complete $command $option"
    complete_zsh "$command" -- | grep -x -- "$option" >/dev/null || fail "zsh does not complete $command $option"
    complete_fish "$command" -- | grep -x -- "$option" >/dev/null || fail "fish does not complete $command $option"
  done
done
# Values complete too: file names where a file is asked for, the titles in
# the store where a thread or to-do is, and the words an option takes. The
# completions ask the installed cadro for the titles.
export XDG_DATA_HOME=$root/data XDG_CONFIG_HOME=$root/config XDG_RUNTIME_DIR=$root/run
export PATH=$dir/bin:$PATH
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
mkdir -p "$root/files" && touch "$root/files/notes.md"
"$cadro" -q add-thread "Quarterly report" >/dev/null
"$cadro" -q add-todo Invoices >/dev/null
offers() {  # SHELL WANTED ARGUMENTS...: true when completing the arguments offers WANTED
  local shell=$1 wanted=$2
  shift 2
  (cd "$root/files" && "complete_$shell" "$@") | grep -xF -- "$wanted" >/dev/null
}
for shell in bash zsh fish; do
  thread="Quarterly report"
  [ "$shell" = bash ] && thread='Quarterly\ report'
  while read -r wanted args; do
    [ "$wanted" = @thread ] && wanted=$thread
    eval "set -- $args"
    offers "$shell" "$wanted" "$@" || fail "$shell: cadro $* <tab> does not offer $wanted"
  done <<EOT
notes.md         import ''
notes.md         brain-dump --link ''
@thread          park ''
@thread          move x --before Q
Invoices         done I
week             add-todo x --every ''
month            add-todo x --every 2 ''
EOT
  ! offers "$shell" Invoices park '' || fail "$shell: park offers a to-do"
done

echo "checked: programs, desktop entry, metainfo, icons, manual page, completions"
