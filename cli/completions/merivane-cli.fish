# fish completion for merivane-cli, installed as share/fish/vendor_completions.d/merivane-cli.fish.

set -l commands pdf weeks ics date days help
complete -c merivane-cli -f
complete -c merivane-cli -n "not __fish_seen_subcommand_from $commands" -a pdf -d 'Write a broadcast calendar as a PDF file'
complete -c merivane-cli -n "not __fish_seen_subcommand_from $commands" -a weeks -d 'Print every broadcast week of the years'
complete -c merivane-cli -n "not __fish_seen_subcommand_from $commands" -a ics -d 'Write the broadcast months as an iCalendar file'
complete -c merivane-cli -n "not __fish_seen_subcommand_from $commands" -a date -d 'Print where a date falls in the broadcast calendar'
complete -c merivane-cli -n "not __fish_seen_subcommand_from $commands" -a days -d 'Print a date table, one row a day'
complete -c merivane-cli -n "not __fish_seen_subcommand_from $commands" -a help -d 'Print the help of a command'
complete -c merivane-cli -n "not __fish_seen_subcommand_from $commands" -s V -l version -d 'Print the version'
complete -c merivane-cli -s h -l help -d 'Print help'

complete -c merivane-cli -n "__fish_seen_subcommand_from help" -a "pdf weeks ics date days"

complete -c merivane-cli -n "__fish_seen_subcommand_from pdf" -l style -x -a "month quarter year 3years strip planner" -d 'Calendar style'
complete -c merivane-cli -n "__fish_seen_subcommand_from pdf" -l year -x -d 'Year to print, 1920 to 9999'
complete -c merivane-cli -n "__fish_seen_subcommand_from pdf" -l month -x -a "1 2 3 4 5 6 7 8 9 10 11 12" -d 'Only this month'
complete -c merivane-cli -n "__fish_seen_subcommand_from pdf" -l all -d 'Every month or quarter'
complete -c merivane-cli -n "__fish_seen_subcommand_from pdf" -l quarters -d 'Add the quarter week to week numbers'
complete -c merivane-cli -n "__fish_seen_subcommand_from pdf" -l credit -x -d 'Your own credit line'
complete -c merivane-cli -n "__fish_seen_subcommand_from pdf" -l logo -r -F -d 'PNG or JPEG logo on every page'
complete -c merivane-cli -n "__fish_seen_subcommand_from pdf ics" -l output -r -F -d 'File to write, - for standard output'
complete -c merivane-cli -n "__fish_seen_subcommand_from ics" -l weeks -d 'Add one event per week'
complete -c merivane-cli -n "__fish_seen_subcommand_from weeks date days" -l json -d 'Print JSON'
complete -c merivane-cli -n "__fish_seen_subcommand_from pdf ics date days" -l language -x -a "en fr es" -d 'Language of the names: English, French or Spanish'
complete -c merivane-cli -n "__fish_seen_subcommand_from pdf ics days" -l holidays -x -a "us ca" -d 'Public holidays of the United States or Canada'
