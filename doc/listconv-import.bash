# bash completion for listconv-import: its options and encodings, and files.
_listconv_import() {
  local cur prev
  cur=${COMP_WORDS[COMP_CWORD]}
  prev=${COMP_WORDS[COMP_CWORD-1]}
  case $prev in
    --encoding)
      COMPREPLY=($(compgen -W 'utf-8 cp932' -- "$cur"))
      return
      ;;
    --backup)
      COMPREPLY=($(compgen -W 'numbered simple none' -- "$cur"))
      return
      ;;
    -C | --dir)
      compopt -o filenames 2>/dev/null
      COMPREPLY=($(compgen -d -- "$cur"))
      return
      ;;
  esac
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W '-C --dir --backup --check --encoding --wait -h --help --version' -- "$cur"))
  else
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -f -- "$cur"))
  fi
}
complete -F _listconv_import listconv-import
