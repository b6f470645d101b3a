# bash completion for reelcatch-get

_reelcatch_get() {
    local cur prev words cword
    _init_completion -s || return

    case $prev in
        -d | --dir)
            _filedir -d
            return
            ;;
        -w | --wait)
            COMPREPLY=($(compgen -W '10 30 60 120 300' -- "$cur"))
            return
            ;;
        -r | --retries)
            COMPREPLY=($(compgen -W '0 1 2 3 5 10' -- "$cur"))
            return
            ;;
        -h | --help | --version)
            return
            ;;
    esac

    [[ $was_split ]] && return

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '-d --dir -q --quiet -a --any-site -w --wait
            -r --retries --resolve --site --info -h --help --version' -- "$cur"))
        [[ ${COMPREPLY-} == *= ]] && compopt -o nospace
    fi
} &&
    complete -F _reelcatch_get reelcatch-get

# ex: filetype=sh
