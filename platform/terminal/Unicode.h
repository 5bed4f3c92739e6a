#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quimbo::terminal {

// UTF-8 to code points; a malformed byte becomes U+FFFD. An overlong form,
// a surrogate or a code point beyond U+10FFFF is malformed, each byte of it.
std::u32string decodeUtf8(std::string_view text);
void appendUtf8(std::string& out, char32_t c);

// Terminal columns of one character: 0 for combining marks, 2 for wide
// East Asian characters and emoji, 1 otherwise. Independent of the locale.
int columnWidth(char32_t c);
int columnWidth(std::u32string_view text);

// Breaks the text into lines no wider than `width` at spaces, as a label
// wraps; a word longer than a line is broken where it must be.
std::vector<std::u32string> wrap(std::u32string_view text, int width);
// The same lines, handed out one by one as stretches of the text.
void forEachLine(std::u32string_view text, int width,
                 const std::function<void(std::u32string_view)>& line);

}  // namespace quimbo::terminal
