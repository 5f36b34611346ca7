// The replace-all engine shared by replaceAll and replaceAllIgnoreCase; part
// of listconv_core (core.cpp), which the rest of the text library links.
#pragma once

#include <cstdint>
#include <string>

// Replaces every occurrence of `search` in `text` as searching again from the
// start after every replacement does. With `foldText`, bytes that come from
// the original text are compared upper-cased (a-z only), while bytes of the
// inserted replacements are compared as they stand; `search` must then be
// upper-cased already. Preconditions: `search` is not empty, no occurrence
// starts before `first`, and the caller has refused every replacement that
// would be found again in itself.
// `length` and the growth limit are as replaceAll documents them.
void replaceEveryOccurrence(std::string& text, const std::string& search,
                            const std::string& replacement, int32_t length, size_t first,
                            bool foldText);
