// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/Arguments.h"

const char* const UsageText =
    R"(Usage: tolvek-tasks [--database PATH] COMMAND [OPTIONS]

Reads and writes the tasks of Tolvek Organizer.

Commands:
  list [--category NAME] [--open|--done] [--due-before YYYY-MM-DD] [--search TEXT]
       [--sort name|priority|category|reminder|due] [--format table|json|tsv]
      Print the tasks, in id order unless --sort orders them as the list does. The table
      is for people; json and tsv, with the fields id, uid, name, category, priority, done,
      due, reminder, sound and note, are for programs.
  show ID
      Print every field of a task, its note whole.
  add NAME [--category NAME] [--high] [--due YYYY-MM-DD] [--remind "YYYY-MM-DD HH:MM"]
           [--sound FILE] [--note TEXT]
      Add a task, in the first category when none is named. Dates are local time.
  edit ID [--name NAME] [--category NAME] [--high|--normal] [--due DATE|--no-due]
          [--remind "DATE TIME"|--no-remind] [--sound FILE|--no-sound] [--note TEXT|--no-note]
      Change what the options say of a task, and nothing else. A sound is a file of the
      organizer's sound folder and plays at the reminder.
  done ID...  |  undone ID...
      Mark tasks done, or not done.
  delete ID... [--dry-run]
      Delete tasks without asking; --dry-run only shows which.
  export --format ics|csv [--category NAME] [-o FILE]
      Write the tasks as iCalendar or CSV, to standard output unless FILE is given.
      A CSV text cell that begins with =, +, -, @, a tab or a carriage return gets a
      leading ' so that a spreadsheet keeps it as text instead of running a formula.
  import FILE.ics|- [--category NAME]
      Bring in the to-dos of an iCalendar file (- reads standard input), all or none. A
      to-do with the UID of a task updates that task; any other becomes a new task, in the
      first of its categories that exists, else in a new one of its first category's name
      while there are fewer than 10, else in the --category one or the first category.
  categories
      Print the category names, one a line, in their order.
  sync [--dry-run|--confirm-deletions|--keep] [--allow-insecure-http]
      Sync the chosen categories with the account's CalDAV server, both ways, and print
      what went which way: "3 up, 5 down, 1 conflicts, 0 deleted, 0 held". Deletions that
      look like a mistake (on the first sync, after the server's address changed, or more
      than half of a list of ten or more at once) wait: --confirm-deletions carries them
      out, --keep gives the tasks back to the side that deleted them. --dry-run shows what
      a sync would do and changes nothing.
  sync --setup URL --user NAME [--password-command CMD] [--lists NAME,...]
      Set up this database's account: find the task lists at URL (the server, a
      principal, a calendar home or one list) and choose which to sync (asks on a
      terminal, else takes them all). The password is the first line CMD prints, else it
      goes into the desktop's secret store. Plain http:// is refused but to this machine,
      unless --allow-insecure-http is given for a server you trust.
  sync --lists NAME,...
      Sync these lists from now on: server lists by name, or categories here, which get a
      list on the server.
  sync --status  |  sync --log
      Show the account, its lists and what waits; or one line for each conflict, newest
      first: time, task, field, value kept and value that lost, tab-separated.

A task's ID is its id (the digits list shows) or uid: followed by its UID.

Options:
  --database PATH  the database file; without it db/data.db in $TOLVEK_HOME when it
                   is set, else in ~/.local/share/tolvek-organizer ($XDG_DATA_HOME's)
                   for an installed program, else beside the executable
  -h, --help       show this help
  --version        show the version

Only add, import and sync make a database that does not exist yet. While the organizer runs on
the same database, every command that changes tasks tells it to reload.

Exit status: 0 done, 1 failed (the reason on standard error), 2 bad usage, 3 (sync)
deletions wait for --confirm-deletions or --keep.
)";
