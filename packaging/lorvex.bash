
# Whether a word is an option: it begins with / or with - followed by anything but a digit or a
# dot; -0 alone is an option too. Other words are the entity, restriction, operator and value.
_lorvex_is_option() {
  case $1 in
    -0 | /* | --*) return 0 ;;
    -[0-9.]*) return 1 ;;
    -*) return 0 ;;
  esac
  return 1
}

# Adds the words that begin with the word being completed, quoted for the shell (operators such
# as > and != would otherwise mean something to it).
_lorvex_offer() {
  local word quoted
  for word in "$@"; do
    quoted=$(printf '%q' "$word")
    [[ $quoted == "$cur"* ]] && COMPREPLY+=("$quoted")
  done
}

_lorvex() {
  local cur prev words cword
  _init_completion -n =: || return
  COMPREPLY=()

  if _lorvex_is_option "$cur"; then
    local switch=${cur:0:1} letter=${cur:1:1} list=
    if [[ ${cur:2:1} == [=:] ]]; then
      case $letter in
        [oO]) list=$_lorvex_values_o ;;
        [sS]) list=$_lorvex_values_s ;;
        [yY]) list=$_lorvex_values_y ;;
      esac
      # The shell breaks words at = and :, so the value alone is what it completes.
      cur=${cur:3}
      # shellcheck disable=SC2086
      _lorvex_offer $list
      return
    fi
    local word options=(--help --version)
    for word in $_lorvex_plain_letters; do options+=("$switch$word"); done
    for word in $_lorvex_value_letters; do options+=("$switch$word="); done
    _lorvex_offer "${options[@]}"
    [[ ${COMPREPLY[*]} == *= ]] && compopt -o nospace
    return
  fi

  local i positional=0
  for ((i = 1; i < cword; i++)); do
    _lorvex_is_option "${words[i]}" || positional=$((positional + 1))
  done
  case $positional in
    0) [[ $cur == @* ]] && COMPREPLY=($(compgen -P @ -f -- "${cur:1}")) ;;
    # shellcheck disable=SC2086
    1) _lorvex_offer $_lorvex_restrictions ;;
    # shellcheck disable=SC2086
    2) _lorvex_offer $_lorvex_operators ;;
  esac
}
complete -F _lorvex lorvex
