# bash completion of fieldjoin and casetable (installed under both names): the options, and the
# field and material names of the campaign in force, as the program's own --help lists them.
_fielddata_choices() {
  # $1: the option (--field or --material); the rest: the words of the line (for --campaign).
  local option=$1 program=$2 campaign=() i
  shift 2
  for ((i = 0; i < $# - 1; i++)); do
    local words=("$@")
    [ "${words[i]}" = --campaign ] && campaign=(--campaign "${words[i + 1]}")
  done
  # The help's line "  --field NAME   fence or hill (with ...": the names before the parenthesis.
  "$program" "${campaign[@]}" --help 2>/dev/null |
    sed -n "s/^  ${option} NAME  *\(.*\) (with.*/\1/p" | sed 's/,/ /g; s/ or / /g'
}

_fielddata() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
  case "$prev" in
    --field | --material)
      mapfile -t COMPREPLY < <(compgen -W "$(_fielddata_choices "$prev" "${COMP_WORDS[0]}" "${COMP_WORDS[@]}")" -- "$cur")
      return
      ;;
    --data-root | --output-dir)
      mapfile -t COMPREPLY < <(compgen -d -- "$cur")
      return
      ;;
    --campaign | --summary-json)
      mapfile -t COMPREPLY < <(compgen -f -- "$cur")
      return
      ;;
    --qc)
      compopt -o nospace 2>/dev/null
      mapfile -t COMPREPLY < <(compgen -W "coverage_flag1= coverage_flag2= gap_flag1= gap_flag2= spike_share_flag1=
        spike_share_flag2= spike_window_minutes= spike_threshold= spike_threshold_step= spike_passes= spike_max_run=
        wind_limit=" -- "$cur")
      return
      ;;
    --sonic-height-fence | --sonic-height-hill | --latitude)
      return
      ;;
  esac
  mapfile -t COMPREPLY < <(compgen -W "--field --material --all --data-root --output-dir --no-qc --no-samplers
    --strict --sonic-height-fence --sonic-height-hill --latitude --campaign --qc --summary-json --print-campaign
    --check-campaign --help --version" -- "$cur")
}
complete -F _fielddata fieldjoin casetable
