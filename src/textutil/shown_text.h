// A user's text as a message shows it: what a terminal would act on (a
// control, a bidirectional override) or show as nothing (a zero-width
// character) is written out as an escape, so that a message cannot be
// rearranged, hidden or coloured by the data it quotes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// True for a character that a terminal acts on or shows as nothing: C0 and
// C1 controls, DEL, bidirectional controls, zero-width and other invisible
// format characters.
bool isHiddenCharacter(uint32_t codePoint);

// `utf8` with every character that isHiddenCharacter names escaped: a C0
// control or DEL as \x1B, any other as \u202E (\U000E0001 beyond U+FFFF); a
// byte that is not part of well-formed UTF-8 as \xE9, and a backslash as \\,
// so that every escape reads one way. Everything else stays as it is.
std::string shownText(std::string_view utf8);

// One character, given as its UTF-8, by its code point: "U+00E9 é", or
// "U+200B" alone for a hidden character; bytes that are not one UTF-8
// character are shown as shownText shows them.
std::string shownCharacter(std::string_view utf8);
