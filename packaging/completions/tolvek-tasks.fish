# SPDX-License-Identifier: GPL-3.0-or-later
# Completion of tolvek-tasks for fish: commands, options, their fixed values, the category
# names and the task ids (with their names) of the database the command line works on.

# Runs the tolvek-tasks being completed on the database its command line names; says nothing
# when that fails (no database yet, say).
function __tolvek_tasks_query
    set -l tokens (commandline -opc)
    set -l database
    for i in (seq 2 (count $tokens))
        switch $tokens[$i]
            case --database
                set -l next (math $i + 1)
                if test $next -le (count $tokens)
                    set database --database $tokens[$next]
                end
            case '--database=*'
                set database $tokens[$i]
        end
    end
    $tokens[1] $database $argv 2>/dev/null
end

# The tasks that list prints with these options: their ids, described by their names.
function __tolvek_tasks_ids
    for line in (__tolvek_tasks_query list --format tsv $argv)
        set -l fields (string split \t -- $line)
        if test "$fields[1]" != id
            printf '%s\t%s\n' $fields[1] $fields[3]
        end
    end
end

set -l commands list show add edit done undone delete export import categories sync
complete -c tolvek-tasks -f
complete -c tolvek-tasks -n "not __fish_seen_subcommand_from $commands" -a list -d 'Print the tasks'
complete -c tolvek-tasks -n "not __fish_seen_subcommand_from $commands" -a show -d 'Print every field of a task'
complete -c tolvek-tasks -n "not __fish_seen_subcommand_from $commands" -a add -d 'Add a task'
complete -c tolvek-tasks -n "not __fish_seen_subcommand_from $commands" -a edit -d 'Change a task'
complete -c tolvek-tasks -n "not __fish_seen_subcommand_from $commands" -a done -d 'Mark tasks done'
complete -c tolvek-tasks -n "not __fish_seen_subcommand_from $commands" -a undone -d 'Mark tasks not done'
complete -c tolvek-tasks -n "not __fish_seen_subcommand_from $commands" -a delete -d 'Delete tasks'
complete -c tolvek-tasks -n "not __fish_seen_subcommand_from $commands" -a export -d 'Write the tasks as iCalendar or CSV'
complete -c tolvek-tasks -n "not __fish_seen_subcommand_from $commands" -a import -d 'Bring in the to-dos of an iCalendar file'
complete -c tolvek-tasks -n "not __fish_seen_subcommand_from $commands" -a categories -d 'Print the category names'
complete -c tolvek-tasks -n "not __fish_seen_subcommand_from $commands" -a sync -d 'Sync with a CalDAV server'

complete -c tolvek-tasks -l database -r -F -d 'The database file'
complete -c tolvek-tasks -n "not __fish_seen_subcommand_from $commands" -s h -l help -d 'Show the help'
complete -c tolvek-tasks -n "not __fish_seen_subcommand_from $commands" -l version -d 'Show the version'

complete -c tolvek-tasks -n '__fish_seen_subcommand_from list add edit export import' -l category -x -a '(__tolvek_tasks_query categories)' -d 'The category'

complete -c tolvek-tasks -n '__fish_seen_subcommand_from list' -l open -d 'The tasks not done'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from list' -l done -d 'The tasks done'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from list' -l due-before -x -d 'The tasks due before a day (YYYY-MM-DD)'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from list' -l search -x -d 'The tasks whose name or note holds a text'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from list' -l sort -x -a 'name priority category reminder due' -d 'The order'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from list' -l format -x -a 'table json tsv' -d 'The output'

complete -c tolvek-tasks -n '__fish_seen_subcommand_from edit' -l name -x -d 'The name'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from add edit' -l high -d 'High priority'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from add edit' -l normal -d 'Normal priority'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from add edit' -l due -x -d 'The due date (YYYY-MM-DD)'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from add edit' -l remind -x -d 'The reminder (YYYY-MM-DD HH:MM)'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from add edit' -l sound -x -d 'The sound at the reminder'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from add edit' -l note -x -d 'The note'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from edit' -l no-due -d 'No due date'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from edit' -l no-remind -d 'No reminder'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from edit' -l no-sound -d 'No sound'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from edit' -l no-note -d 'No note'

complete -c tolvek-tasks -n '__fish_seen_subcommand_from show edit delete' -x -a '(__tolvek_tasks_ids)'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from done' -x -a '(__tolvek_tasks_ids --open)'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from undone' -x -a '(__tolvek_tasks_ids --done)'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from delete' -l dry-run -d 'Only show what would be deleted'

complete -c tolvek-tasks -n '__fish_seen_subcommand_from export' -l format -x -a 'ics csv' -d 'The file format'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from export' -s o -l output -r -F -d 'The file to write'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from import' -F -a - -d 'Standard input'

complete -c tolvek-tasks -n '__fish_seen_subcommand_from sync' -l setup -x -d 'Set the account up with the server at an address'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from sync' -l user -x -d 'The user name, with --setup'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from sync' -l password-command -x -d 'A command that prints the password, with --setup'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from sync' -l lists -x -a '(__tolvek_tasks_query categories)' -d 'The lists to sync, comma-separated'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from sync' -l allow-insecure-http -d 'Allow plain http to a server you trust'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from sync' -l confirm-deletions -d 'Carry out the deletions that wait'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from sync' -l keep -d 'Give the tasks of the deletions that wait back'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from sync' -l status -d 'Show the account and what waits'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from sync' -l log -d 'Show the conflicts and the values that lost'
complete -c tolvek-tasks -n '__fish_seen_subcommand_from sync' -l dry-run -d 'Show what a sync would do'
