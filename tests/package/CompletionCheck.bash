#!/usr/bin/env bash
# Checks the bash completion of mirafen-cli against the program itself: it completes the
# commands the help lists, offers every option that 'mirafen-cli COMMAND --help' names and no other, and
# completes a setup file and an option's value.
# Usage: CompletionCheck.bash COMPLETION_FILE MIRAFEN_CLI
set -uo pipefail
completion=$1
cli=$2
# shellcheck source=/dev/null
source "$completion"
failures=0

# What completing the words gives, the last word being the one being typed; one per line, sorted.
complete_words() {
    COMP_WORDS=(mirafen-cli "$@")
    COMP_CWORD=$#
    COMPREPLY=()
    _mirafen_cli
    printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort
}

expect() {
    local what=$1 expected=$2 got=$3
    if [[ $got != "$expected" ]]; then
        printf '%s:\n  expected: %s\n  got:      %s\n' "$what" "${expected//$'\n'/ }" "${got//$'\n'/ }" >&2
        failures=$((failures + 1))
    fi
}

# The commands as the program's help lists them, which its command table makes.
commands=$("$cli" help | sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z-]*\).*/\1/p')
expect "commands" "$(printf '%s\n' --help --version $commands | sort)" "$(complete_words '')"
expect "help topics" "$(printf '%s\n' read)" "$(complete_words help r)"

for command in $commands; do
    [[ $command == help ]] && continue
    named=$("$cli" "$command" --help | grep -oE '(^|[][ (|,])--?[a-z][a-z-]*' | sed 's/^[^-]*//')
    expect "options of $command" "$(printf '%s\n' --help "$named" | sed '/^$/d' | sort -u)" \
        "$(complete_words "$command" - | sort -u)"
done

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
mkdir "$folder/ward 4"
touch "$folder/ward 4/first setup.prp" "$folder/ward 4/notes.txt"
expect "setup file" "$folder/ward 4/first setup.prp" "$(complete_words show "$folder/ward 4/")"
expect "second setup file" "$folder/ward 4/first setup.prp" \
    "$(complete_words diff ward.prp "$folder/ward 4/")"
expect "port number" "$(printf '%s\n' 1 10 11 12 13 14 15 16)" "$(complete_words identify --port 1)"
expect "day" "yesterday" "$(complete_words history --until y)"

exit $((failures > 0))
