#include "platform/terminal/Unicode.h"

#include <algorithm>
#include <functional>
#include <utility>

namespace quimbo::terminal {

std::u32string decodeUtf8(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int extra = lead < 0x80           ? 0
                      : (lead >> 5) == 0x6  ? 1
                      : (lead >> 4) == 0xE  ? 2
                      : (lead >> 3) == 0x1E ? 3
                                            : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size()) {
      out.push_back(U'\uFFFD');
      ++i;
      continue;
    }
    char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      if ((next & 0xC0) != 0x80) ok = false;
      c = (c << 6) | (next & 0x3F);
    }
    // A longer form than the shortest (C0 9B would be an escape, smuggled
    // past every check of bytes), a surrogate, or beyond Unicode: malformed.
    constexpr char32_t kShortestFrom[] = {0, 0x80, 0x800, 0x10000};
    if (!ok || c < kShortestFrom[extra] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
      out.push_back(U'\uFFFD');
      ++i;
      continue;
    }
    out.push_back(c);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

int columnWidth(char32_t c) {
  if (c < 0x300) return c == 0 ? 0 : 1;  // Latin, the common case
  if ((c >= 0x0300 && c <= 0x036F) || (c >= 0x200B && c <= 0x200F) ||
      (c >= 0xFE00 && c <= 0xFE0F)) {
    return 0;
  }
  const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                    (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                    (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                    (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1FAFF) ||
                    (c >= 0x20000 && c <= 0x3FFFD);
  return wide ? 2 : 1;
}

int columnWidth(std::u32string_view text) {
  int width = 0;
  for (const char32_t c : text) width += columnWidth(c);
  return width;
}

void forEachLine(std::u32string_view text, int width,
                 const std::function<void(std::u32string_view)>& line) {
  width = std::max(width, 1);
  // A line is always a stretch of the text: whole words and the single
  // spaces between them, or a piece of a word too long for any line.
  std::size_t lineStart = 0, lineEnd = 0;
  int lineWidth = -1;  // -1: no word on the line yet
  for (std::size_t at = 0; at <= text.size();) {
    const std::size_t end = std::min(text.find(U' ', at), text.size());
    std::u32string_view word = text.substr(at, end - at);
    const std::size_t wordStart = at;
    at = end + 1;
    int wordWidth = columnWidth(word);
    if (lineWidth >= 0 && lineWidth + 1 + wordWidth <= width) {
      lineEnd = end;
      lineWidth += 1 + wordWidth;
      continue;
    }
    if (lineWidth >= 0) line(text.substr(lineStart, lineEnd - lineStart));
    std::size_t start = wordStart;
    while (wordWidth > width) {
      std::size_t take = 0;
      int taken = 0;
      while (take < word.size() && taken + columnWidth(word[take]) <= width)
        taken += columnWidth(word[take++]);
      if (take == 0) take = 1;  // a wide character in a one-column line
      line(word.substr(0, take));
      word.remove_prefix(take);
      start += take;
      wordWidth = columnWidth(word);
    }
    lineStart = start;
    lineEnd = end;
    lineWidth = wordWidth;
  }
  line(text.substr(lineStart, lineEnd - lineStart));
}

std::vector<std::u32string> wrap(std::u32string_view text, int width) {
  std::vector<std::u32string> lines;
  forEachLine(text, width, [&](std::u32string_view l) { lines.emplace_back(l); });
  return lines;
}

}  // namespace quimbo::terminal
