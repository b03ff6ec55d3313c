# bash completion for merivane-cli                                       -*- shell-script -*-
# Installed as share/bash-completion/completions/merivane-cli, where bash-completion loads it the
# first time merivane-cli is completed.

_merivane_cli() {
    local cur prev words cword
    _init_completion || return

    local commands="pdf weeks ics date days help"
    if ((cword == 1)); then
        mapfile -t COMPREPLY < <(compgen -W "$commands --help -h --version -V" -- "$cur")
        return
    fi

    case $prev in
        --style)
            mapfile -t COMPREPLY < <(compgen -W "month quarter year 3years strip planner" -- "$cur")
            return
            ;;
        --month)
            mapfile -t COMPREPLY < <(compgen -W "1 2 3 4 5 6 7 8 9 10 11 12" -- "$cur")
            return
            ;;
        --year)
            return
            ;;
        --holidays)
            mapfile -t COMPREPLY < <(compgen -W "us ca" -- "$cur")
            return
            ;;
        --logo)
            _filedir '@(png|PNG|jpg|JPG|jpeg|JPEG)'
            return
            ;;
        --language)
            mapfile -t COMPREPLY < <(compgen -W "en fr es" -- "$cur")
            return
            ;;
        --credit)
            return
            ;;
        --output)
            if [[ ${words[1]} == pdf ]]; then _filedir pdf; else _filedir ics; fi
            return
            ;;
    esac

    local options
    case ${words[1]} in
        pdf) options="--style --year --month --all --quarters --holidays --language --credit --logo --output" ;;
        ics) options="--weeks --holidays --language --output" ;;
        days) options="--json --holidays --language" ;;
        date) options="--json --language" ;;
        weeks) options="--json" ;;
        help)
            ((cword == 2)) && mapfile -t COMPREPLY < <(compgen -W "${commands% help}" -- "$cur")
            return
            ;;
        *) return ;;
    esac
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$options --help" -- "$cur")
    fi
} &&
    complete -F _merivane_cli merivane-cli
