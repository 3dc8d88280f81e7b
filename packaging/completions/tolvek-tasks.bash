# SPDX-License-Identifier: GPL-3.0-or-later
# Completion of tolvek-tasks for bash: commands, options, their fixed values, the category
# names and the task ids of the database the command line works on.

# Runs the tolvek-tasks being completed on the database its command line names; says
# nothing when that fails (no database yet, say).
_tolvek_tasks_query() {
    local i database=()
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
        --database) database=(--database "${COMP_WORDS[i + 1]/#\~/$HOME}") ;;
        --database=*) database=("${COMP_WORDS[i]/#--database=\~/--database=$HOME}") ;;
        esac
    done
    "${COMP_WORDS[0]/#\~/$HOME}" "${database[@]}" "$@" 2>/dev/null
}

# Offers the lines, each one word whatever spaces it holds.
_tolvek_tasks_offer() {
    local line cur=${COMP_WORDS[COMP_CWORD]}
    COMPREPLY=()
    while IFS= read -r line; do
        [[ $line == "$cur"* ]] && COMPREPLY+=("$(printf '%q' "$line")")
    done
}

# The ids of the tasks that list prints with these options.
_tolvek_tasks_ids() {
    local id rest
    _tolvek_tasks_query list --format tsv "$@" | while IFS=$'\t' read -r id rest; do
        [[ $id == id ]] || printf '%s\n' "$id"
    done
}

_tolvek_tasks() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local command="" i options
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
        --database | --category | --name | --due | --remind | --note | --sound | --format | \
            -o | --output | --due-before | --search | --sort | --setup | --user | \
            --password-command | --lists) ((i++)) ;;
        -*) ;;
        *)
            command=${COMP_WORDS[i]}
            break
            ;;
        esac
    done

    case $prev in
    --database | -o | --output)
        compopt -o filenames
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        return
        ;;
    --category | --lists)
        _tolvek_tasks_offer < <(_tolvek_tasks_query categories)
        return
        ;;
    --format)
        if [[ $command == export ]]; then
            mapfile -t COMPREPLY < <(compgen -W "ics csv" -- "$cur")
        else
            mapfile -t COMPREPLY < <(compgen -W "table json tsv" -- "$cur")
        fi
        return
        ;;
    --sort)
        mapfile -t COMPREPLY < <(compgen -W "name priority category reminder due" -- "$cur")
        return
        ;;
    --name | --due | --remind | --note | --sound | --due-before | --search | --setup | --user | \
        --password-command)
        return
        ;;
    esac

    case $command in
    "") options="--database --help --version" ;;
    list) options="--category --open --done --due-before --search --sort --format" ;;
    add) options="--category --high --normal --due --remind --sound --note" ;;
    edit)
        options="--name --category --high --normal --due --no-due --remind --no-remind
                 --sound --no-sound --note --no-note"
        ;;
    delete) options="--dry-run" ;;
    export) options="--format --category -o --output" ;;
    import) options="--category" ;;
    sync)
        options="--setup --user --password-command --lists --allow-insecure-http
                 --confirm-deletions --keep --status --log --dry-run"
        ;;
    esac
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$options --database" -- "$cur")
        return
    fi
    case $command in
    "")
        mapfile -t COMPREPLY < <(compgen -W \
            "list show add edit done undone delete export import categories sync" -- "$cur")
        ;;
    show | edit | delete) _tolvek_tasks_offer < <(_tolvek_tasks_ids) ;;
    done) _tolvek_tasks_offer < <(_tolvek_tasks_ids --open) ;;
    undone) _tolvek_tasks_offer < <(_tolvek_tasks_ids --done) ;;
    import)
        compopt -o filenames
        mapfile -t COMPREPLY < <(compgen -f -X '!*.ics' -- "$cur"; compgen -d -- "$cur")
        ;;
    esac
}

complete -F _tolvek_tasks tolvek-tasks
