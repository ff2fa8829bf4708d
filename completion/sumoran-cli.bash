# bash completion for sumoran-cli: the subcommands, the options, the values of each option that
# takes a list of them, and the files and folders an input, a list or a settings file may be.

_sumoran_cli() {
    local cur prev words cword split
    _init_completion -s || return

    local subcommand=""
    if ((cword > 1)); then subcommand=${words[1]}; fi

    case $subcommand in
        stem)
            return # words to stem, nothing to offer
            ;;
        aggregate)
            case $prev in
                --format) COMPREPLY=($(compgen -W 'json csv tsv text' -- "$cur")); return ;;
                --show) COMPREPLY=($(compgen -W 'stems combinations' -- "$cur")); return ;;
                --decimal) COMPREPLY=($(compgen -W '. ,' -- "$cur")); return ;;
            esac
            $split && return
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W '--format= --show= --decimal=' -- "$cur"))
                compopt -o nospace
                return
            fi
            _filedir jsonl
            return
            ;;
        compare | collocates)
            case $prev in
                --format) COMPREPLY=($(compgen -W 'text tsv csv json' -- "$cur")); return ;;
                --show) COMPREPLY=($(compgen -W 'stems combinations' -- "$cur")); return ;;
                --p) COMPREPLY=($(compgen -W '0.05 0.01 0.001 0.0001' -- "$cur")); return ;;
                --stems) COMPREPLY=($(compgen -W 'builtin dictionary' -- "$cur")); return ;;
                --charset) COMPREPLY=($(compgen -W 'auto windows-1251 koi8-r iso-8859-5 utf-8' -- "$cur")); return ;;
                --content) COMPREPLY=($(compgen -W 'page main' -- "$cur")); return ;;
                --decimal) COMPREPLY=($(compgen -W '. ,' -- "$cur")); return ;;
                --koef) _filedir dat; return ;;
                --stopwords) _filedir txt; return ;;
                --node | --span | --min-count | --smoothing) return ;;
            esac
            $split && return
            if [[ $cur == -* ]]; then
                local options='--format= --min-count= --content= --charset= --stems= --koef= --stopwords= --decimal= --help'
                if [[ $subcommand == compare ]]; then
                    options+=' --show= --p= --bonferroni --smoothing='
                else
                    options+=' --node= --span='
                fi
                COMPREPLY=($(compgen -W "$options" -- "$cur"))
                [[ ${COMPREPLY-} == *= ]] && compopt -o nospace
                return
            fi
            _filedir '@(html|htm|xhtml|jsonl)'
            return
            ;;
    esac

    case $prev in
        --format) COMPREPLY=($(compgen -W 'text json tsv csv jsonl' -- "$cur")); return ;;
        --show) COMPREPLY=($(compgen -W 'summary sentences stems words combinations all text metrics zones' -- "$cur")); return ;;
        --limit) COMPREPLY=($(compgen -W 'none 3 5 10 5% 10% 20% 25%' -- "$cur")); return ;;
        --stems) COMPREPLY=($(compgen -W 'builtin dictionary' -- "$cur")); return ;;
        --charset) COMPREPLY=($(compgen -W 'auto windows-1251 koi8-r iso-8859-5 utf-8' -- "$cur")); return ;;
        --frames) COMPREPLY=($(compgen -W 'folder any none' -- "$cur")); return ;;
        --content) COMPREPLY=($(compgen -W 'page main' -- "$cur")); return ;;
        --decimal) COMPREPLY=($(compgen -W '. ,' -- "$cur")); return ;;
        --koef) _filedir dat; return ;;
        --stopwords) _filedir txt; return ;;
        --from-list) _filedir; return ;;
        -j | --jobs) COMPREPLY=($(compgen -W "$(seq 1 "$(nproc 2>/dev/null || echo 4)")" -- "$cur")); return ;;
        --force | --timeout | --max-bytes) return ;;
    esac
    $split && return

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--format= --show= --limit= --force-headings --force= --zones --all-types --index-title
            --index-meta --index-img-alt --stems= --charset= --content= --koef= --stopwords= --decimal= --frames= --from-list=
            -j --jobs= --timeout= --max-bytes= --public-only --quiet -h --help --version' -- "$cur"))
        [[ ${COMPREPLY-} == *= ]] && compopt -o nospace
        return
    fi
    if ((cword == 1)); then
        COMPREPLY=($(compgen -W 'stem aggregate compare collocates' -- "$cur"))
    fi
    # An input: a page file or a folder of them (an address is typed by hand); added to the
    # subcommands.
    _filedir '@(html|htm|xhtml)'
} &&
    complete -F _sumoran_cli sumoran-cli
