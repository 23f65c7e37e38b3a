# bash completion for tickora. What it offers is read from the program's own --help, so a new
# sub-command, option, family or generator needs nothing here.
_tickora() {
    local cur prev words cword
    # The bash-completion package's helper when loaded; bash's own variables otherwise.
    if declare -F _init_completion >/dev/null; then
        _init_completion || return
    else
        words=("${COMP_WORDS[@]}") cword=$COMP_CWORD
        cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    fi
    local program=${words[0]}

    if ((cword == 1)); then
        local commands
        commands=$("$program" --help 2>/dev/null | awk '$1 == "tickora" { print $2 }')
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi
    local help
    help=$("$program" "${words[1]}" --help 2>/dev/null) || return

    if [[ $prev == --family || $prev == --generator ]]; then
        local family=classic uart=1 i
        for ((i = 2; i < cword - 1; i++)); do
            [[ ${words[i]} == --family ]] && family=${words[i + 1],,}
            [[ ${words[i]} == --uart ]] && uart=${words[i + 1]}
        done
        # Below the line naming --family: a family's names at two blanks' indent, each of its
        # generators at six, those of UART2 to UART4 after "--uart N".
        COMPREPLY=($(compgen -W "$(awk -v want="$prev" -v family="$family" -v uart="$uart" '
            /\(--family\)/ { section = 1; next }
            /^[^ ]/ { section = 0 }
            section && /^  [^ ]/ {
                line = $0; sub(/^  /, "", line); sub(/   .*/, "", line)
                n = split(line, names, ", "); chosen = 0
                for (k = 1; k <= n; k++) {
                    if (want == "--family") print names[k]
                    if (names[k] == family) chosen = 1
                }
            }
            section && /^      [^ ]/ && want == "--generator" && chosen {
                if ($1 == "--uart") { if ($2 == uart) print $3 } else if (uart == 1) print $1
            }' <<<"$help")" \
            -- "$cur"))
        return
    fi

    # The option's placeholder in --help: its choices when spelt "a|b|c", a number to type when
    # in capitals; a switch has none.
    local value
    value=$(awk -v option="$prev" '$1 == option { print $2; exit }' <<<"$help")
    if [[ $value == *"|"* ]]; then
        COMPREPLY=($(compgen -W "${value//|/ }" -- "$cur"))
        return
    fi
    [[ $value =~ ^[A-Z]+$ ]] && return
    COMPREPLY=($(compgen -W "$(awk '$1 ~ /^--/ { print $1 }' <<<"$help")" -- "$cur"))
} && complete -F _tickora tickora
