// (filled in by the text library work)
