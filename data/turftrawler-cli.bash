# bash completion for turftrawler-cli. The commands and each command's options are read from the tool's
# own help, so that they never fall behind it.

_turftrawler_cli()
{
    local cur prev words cword
    _init_completion || return

    case $prev in
        --dir)
            _filedir -d
            return
            ;;
        --png | --pdf | --export | --breeding | backup)
            _filedir
            return
            ;;
        --as)
            COMPREPLY=($(compgen -W "sire damsire damdamsire" -- "$cur"))
            return
            ;;
        --by)
            COMPREPLY=($(compgen -W "owner sire damsire damdamsire" -- "$cur"))
            return
            ;;
    esac

    local i command=
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --dir) ((i++)) ;;
            -*) ;;
            *)
                command=${words[i]}
                break
                ;;
        esac
    done

    local commands
    commands=$("${words[0]}" --help 2>/dev/null | sed -n 's/^  \([a-z][a-z-]*\)  .*/\1/p')
    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$commands help --dir --help --version" -- "$cur"))
        return
    fi
    if [[ $command == help ]]; then
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        return
    fi
    if [[ $command == import && $cur != -* ]]; then
        _filedir '@(txt|TXT|zip|ZIP)'
        return
    fi
    local options
    options=$("${words[0]}" help "$command" 2>/dev/null | head -n 1 | grep -o -- '--[a-z0-9-]*' | sort -u)
    COMPREPLY=($(compgen -W "${options//--dir/} --help" -- "$cur"))
} && complete -F _turftrawler_cli turftrawler-cli
