# fish completion for zorvan: its commands, their options, and the names of
# the maps of the program folder. Copy it into ~/.config/fish/completions.

# The program folder the command line works on: --program-folder when given,
# else $ZORVAN_PROGRAM_FOLDER, else the folder of the zorvan executable.
function __zorvan_program_folder
    set -l words (commandline -opc)
    for i in (seq 2 (count $words))
        switch $words[$i]
            case --program-folder
                set -l next (math $i + 1)
                if test $next -le (count $words)
                    echo $words[$next]
                    return
                end
            case '--program-folder=*'
                string replace -- --program-folder= '' $words[$i]
                return
        end
    end
    if set -q ZORVAN_PROGRAM_FOLDER
        echo $ZORVAN_PROGRAM_FOLDER
        return
    end
    set -l exe (command -s $words[1])
    and path dirname (path resolve $exe)
end

# The map names: each NAME.MAP file of the program folder gives the text
# before its first ".MAP" (letter case ignored); hidden files are no maps.
function __zorvan_maps
    set -l folder (__zorvan_program_folder)
    test -d "$folder"; or return
    for file in $folder/*
        set -l name (path basename $file)
        string match -qri '^[^.].*\.map$' -- $name; or continue
        test -f $file; or continue
        set -l upper (string upper -- $name)
        set -l cut (string match -r '^.*?(?=\.MAP)' -- $upper)
        string sub -l (string length -- $cut) -- $name
    end
end

# True when the command line's command is one of the given ones ("trash
# list" for a two-word one).
function __zorvan_command_is
    set -l words (commandline -opc)
    set -l command
    set -l skip 0
    for word in $words[2..-1]
        if test $skip -eq 1
            set skip 0
            continue
        end
        switch $word
            case --
                break
            case --program-folder --format --entry --map --name
                set skip 1
            case '-*'
            case '*'
                if test "$command" = trash
                    set command "trash $word"
                    break
                end
                set command $word
                test "$command" = trash; or break
        end
    end
    contains -- "$command" $argv
end

set -l with_map show files rename unmap remove

complete -c zorvan -f
complete -c zorvan -l program-folder -r -a '(__fish_complete_directories)' -d 'Work on this program folder'
complete -c zorvan -l yes -d 'Answer yes to every yes/no question'
complete -c zorvan -s h -l help -d 'Show the help'
complete -c zorvan -l version -d 'Show the version'

complete -c zorvan -n "__zorvan_command_is ''" -a maps -d 'List the maps'
complete -c zorvan -n "__zorvan_command_is ''" -a show -d 'List the entries of one map'
complete -c zorvan -n "__zorvan_command_is ''" -a files -d "Print the paths of a map's entries"
complete -c zorvan -n "__zorvan_command_is ''" -a identify -d 'Tell which maps list a file'
complete -c zorvan -n "__zorvan_command_is ''" -a owner -d 'Tell which maps list exactly this path'
complete -c zorvan -n "__zorvan_command_is ''" -a scan -d 'Take a fresh snapshot'
complete -c zorvan -n "__zorvan_command_is ''" -a new-map -d 'Map what no map lists yet'
complete -c zorvan -n "__zorvan_command_is ''" -a track -d 'Run an installation and map what it added'
complete -c zorvan -n "__zorvan_command_is ''" -a rename -d 'Give a map another name'
complete -c zorvan -n "__zorvan_command_is ''" -a unmap -d 'Forget a map'
complete -c zorvan -n "__zorvan_command_is ''" -a remove -d 'Move an application into the trash'
complete -c zorvan -n "__zorvan_command_is ''" -a trash -d 'List, restore or purge the trash'
complete -c zorvan -n "__zorvan_command_is trash" -a 'list restore purge'

complete -c zorvan -n "__zorvan_command_is $with_map" -a '(__zorvan_maps)'
complete -c zorvan -n "__zorvan_command_is identify owner" -F
complete -c zorvan -n "__zorvan_command_is maps show identify 'trash list'" -l format -x -a 'text tsv json' -d 'How to print'
complete -c zorvan -n "__zorvan_command_is maps show identify 'trash list'" -l host-paths -d 'Print full host paths'
complete -c zorvan -n "__zorvan_command_is files" -o 0 -d 'End each path with a NUL byte'
complete -c zorvan -n "__zorvan_command_is scan" -l list-skipped -d 'List each name the scan left out'
complete -c zorvan -n "__zorvan_command_is scan new-map track rename unmap remove 'trash list' 'trash restore' 'trash purge'" -l wait -d 'Wait for the program folder instead of ending with status 3'
complete -c zorvan -n "__zorvan_command_is unmap remove 'trash restore' 'trash purge'" -l force -d 'Touch read-only files'
complete -c zorvan -n "__zorvan_command_is remove 'trash restore' 'trash purge'" -l dry-run -d 'Say what would be done, and change nothing'
complete -c zorvan -n "__zorvan_command_is remove" -l entry -r -F -d 'Only this entry'
complete -c zorvan -n "__zorvan_command_is 'trash list' 'trash restore' 'trash purge'" -l map -x -a '(__zorvan_maps)' -d 'Rows of this map'
complete -c zorvan -n "__zorvan_command_is 'trash list' 'trash restore' 'trash purge'" -l name -r -F -d 'Rows of this file or folder'
complete -c zorvan -n "__zorvan_command_is 'trash restore' 'trash purge'" -l all -d 'Every row of the trash'
