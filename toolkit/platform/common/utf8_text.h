// UTF-8 helpers for editing text: code point boundaries, counting, encoding and decoding.
// Positions are byte offsets; a boundary is any offset that does not point at a continuation
// byte (10xxxxxx), so that ill-formed input still moves by whole bytes and never splits a
// well-formed sequence.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace toolkit_text {

constexpr bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0u) == 0x80u; }

// The boundary after the code point at pos (pos < size), or size.
inline std::size_t nextBoundary(std::string_view text, std::size_t pos) {
  if (pos >= text.size()) return text.size();
  ++pos;
  while (pos < text.size() && isContinuation(text[pos])) ++pos;
  return pos;
}

// The boundary before pos (pos > 0), or 0.
inline std::size_t previousBoundary(std::string_view text, std::size_t pos) {
  if (pos == 0) return 0;
  pos = std::min(pos, text.size()) - 1;
  while (pos > 0 && isContinuation(text[pos])) --pos;
  return pos;
}

// Number of code points (a stray continuation byte counts as one).
inline std::size_t countCodePoints(std::string_view text) {
  std::size_t n = 0;
  for (std::size_t pos = 0; pos < text.size(); pos = nextBoundary(text, pos)) ++n;
  return n;
}

// The first maxCodePoints code points of text.
inline std::string_view firstCodePoints(std::string_view text, std::size_t maxCodePoints) {
  std::size_t pos = 0;
  for (std::size_t n = 0; n < maxCodePoints && pos < text.size(); ++n) pos = nextBoundary(text, pos);
  return text.substr(0, pos);
}

// Appends code point cp as UTF-8; surrogates and values past U+10FFFF become U+FFFD.
inline void appendUtf8(std::string& out, char32_t cp) {
  if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = 0xFFFD;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// The code point at pos, moving pos to the next boundary; ill-formed bytes give U+FFFD.
inline char32_t decodeAt(std::string_view text, std::size_t& pos) {
  const std::size_t end = nextBoundary(text, pos);
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  const std::size_t length = end - pos;
  char32_t cp = 0xFFFD;
  if (lead < 0x80 && length == 1) {
    cp = lead;
  } else if (lead >= 0xC2 && lead <= 0xDF && length == 2) {
    cp = (char32_t{lead & 0x1Fu} << 6) | (byte(pos + 1) & 0x3Fu);
  } else if (lead >= 0xE0 && lead <= 0xEF && length == 3) {
    cp = (char32_t{lead & 0x0Fu} << 12) | (char32_t{byte(pos + 1) & 0x3Fu} << 6) | (byte(pos + 2) & 0x3Fu);
    if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  } else if (lead >= 0xF0 && lead <= 0xF4 && length == 4) {
    cp = (char32_t{lead & 0x07u} << 18) | (char32_t{byte(pos + 1) & 0x3Fu} << 12) |
         (char32_t{byte(pos + 2) & 0x3Fu} << 6) | (byte(pos + 3) & 0x3Fu);
    if (cp < 0x10000 || cp > 0x10FFFF) cp = 0xFFFD;
  }
  pos = end;
  return cp;
}

}  // namespace toolkit_text
