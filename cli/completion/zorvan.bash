# bash completion for zorvan: its commands, their options, and the names of
# the maps of the program folder. Source this file (from ~/.bashrc, or put
# it where bash-completion looks: ~/.local/share/bash-completion/completions).

# The program folder the command line works on: --program-folder when given,
# else $ZORVAN_PROGRAM_FOLDER, else the folder of the zorvan executable.
_zorvan_program_folder() {
  local i
  for ((i = 1; i < COMP_CWORD; i++)); do
    if [[ ${COMP_WORDS[i]} == --program-folder ]]; then
      if [[ ${COMP_WORDS[i + 1]} == = ]]; then
        printf '%s\n' "${COMP_WORDS[i + 2]}"
      else
        printf '%s\n' "${COMP_WORDS[i + 1]}"
      fi
      return
    fi
  done
  if [[ -n $ZORVAN_PROGRAM_FOLDER ]]; then
    printf '%s\n' "$ZORVAN_PROGRAM_FOLDER"
    return
  fi
  local exe
  exe=$(command -v -- "${COMP_WORDS[0]}" 2>/dev/null) || return
  exe=$(readlink -f -- "$exe" 2>/dev/null) || return
  printf '%s\n' "${exe%/*}"
}

# The map names: each NAME.MAP file of the program folder gives the text
# before its first ".MAP" (letter case ignored); hidden files are no maps.
_zorvan_maps() {
  local folder file name upper
  folder=$(_zorvan_program_folder)
  [[ -d $folder ]] || return
  for file in "$folder"/*.[Mm][Aa][Pp]; do
    [[ -f $file ]] || continue
    name=${file##*/}
    [[ $name == .* ]] && continue
    upper=${name^^}
    upper=${upper%%.MAP*}
    printf '%s\n' "${name:0:${#upper}}"
  done
}

# The options of a command ("trash list" for a two-word one).
_zorvan_options() {
  local common="--program-folder --yes --help --version --"
  case $1 in
    maps | show | identify) echo "$common --format --host-paths" ;;
    files) echo "$common -0" ;;
    owner) echo "$common" ;;
    scan) echo "$common --wait --list-skipped" ;;
    new-map | track | rename) echo "$common --wait" ;;
    unmap) echo "$common --wait --force" ;;
    remove) echo "$common --wait --force --entry --dry-run" ;;
    "trash list") echo "$common --wait --format --host-paths --map --name" ;;
    "trash restore" | "trash purge") echo "$common --wait --map --name --all --force --dry-run" ;;
    *) echo "$common" ;;
  esac
}

_zorvan() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
  local command="" group="" word i arguments=0 ended=0
  for ((i = 1; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    if [[ $word == -- ]]; then
      if [[ $command == track ]] && ((arguments >= 1)); then
        # The program track runs, and its own arguments.
        if ((i + 1 == COMP_CWORD)); then
          mapfile -t COMPREPLY < <(compgen -c -- "$cur")
        else
          mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        fi
        return
      fi
      ended=1
      continue
    fi
    if ((!ended)); then
      case $word in
        --program-folder | --format | --entry | --map | --name)
          ((i++))
          [[ ${COMP_WORDS[i]} == = ]] && ((i++))
          continue
          ;;
        -*) continue ;;
      esac
    fi
    if [[ -z $command ]]; then
      if [[ $group == trash ]]; then
        command="trash $word"
      elif [[ $word == trash ]]; then
        group=trash
      else
        command=$word
      fi
    else
      ((arguments++))
    fi
  done

  if ((!ended)); then
    case $prev in
      --format) mapfile -t COMPREPLY < <(compgen -W "text tsv json" -- "$cur"); return ;;
      --program-folder) mapfile -t COMPREPLY < <(compgen -d -- "$cur"); return ;;
      --map)
        mapfile -t COMPREPLY < <(compgen -W "$(_zorvan_maps | sed 's/[][ \\"'\''()*?|&;<>$`]/\\&/g')" -- "$cur")
        return
        ;;
      --entry | --name) mapfile -t COMPREPLY < <(compgen -f -- "$cur"); return ;;
    esac
    if [[ $cur == -* ]]; then
      mapfile -t COMPREPLY < <(compgen -W "$(_zorvan_options "$command")" -- "$cur")
      return
    fi
  fi
  if [[ -z $command ]]; then
    if [[ $group == trash ]]; then
      mapfile -t COMPREPLY < <(compgen -W "list restore purge" -- "$cur")
    else
      mapfile -t COMPREPLY < <(compgen -W "maps show files identify owner scan new-map track rename unmap remove trash" -- "$cur")
    fi
    return
  fi
  case $command in
    show | files | rename | unmap | remove)
      if ((arguments == 0)); then
        local name
        COMPREPLY=()
        while IFS= read -r name; do
          [[ $name == "$cur"* ]] && COMPREPLY+=("$(printf '%q' "$name")")
        done < <(_zorvan_maps)
      fi
      ;;
    identify | owner) mapfile -t COMPREPLY < <(compgen -f -- "$cur") ;;
  esac
}

complete -F _zorvan zorvan
