# bash completion for listconv-export: its options, formats and encodings.
_listconv_export() {
  local cur prev
  cur=${COMP_WORDS[COMP_CWORD]}
  prev=${COMP_WORDS[COMP_CWORD-1]}
  case $prev in
    --format)
      COMPREPLY=($(compgen -W 'csv jsonl listing unknown html records dictionary kanji check' -- "$cur"))
      return
      ;;
    --encoding)
      COMPREPLY=($(compgen -W 'utf-8 cp932' -- "$cur"))
      return
      ;;
    --as)
      COMPREPLY=($(compgen -W 'csv jsonl' -- "$cur"))
      return
      ;;
    -C | --dir)
      compopt -o filenames 2>/dev/null
      COMPREPLY=($(compgen -d -- "$cur"))
      return
      ;;
    -o | --output)
      compopt -o filenames 2>/dev/null
      COMPREPLY=($(compgen -f -- "$cur"))
      return
      ;;
    --title)
      return
      ;;
  esac
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W '--format --encoding -C --dir -o --output --as --bom --escape-formulas --title
      -h --help --version' -- "$cur"))
  fi
}
complete -F _listconv_export listconv-export
