// UTF-8 decoding for text drawing. Every maximal ill-formed part of the input (a stray
// continuation byte, a lead byte that cannot start a sequence, a sequence cut short, an
// overlong form, a surrogate or a value above U+10FFFF) becomes one U+FFFD, and decoding
// goes on with the next byte that could start a sequence.
#pragma once

#include <cstddef>
#include <string_view>

namespace toolkit_detail {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Decodes the code point starting at text[pos] and moves pos past it; pos < text.size().
constexpr char32_t decodeUtf8(std::string_view text, std::size_t& pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos++);
  if (lead < 0x80) return lead;
  int length = 0;
  char32_t cp = 0;
  // The valid range of the second byte narrows for E0, ED, F0 and F4, which is what rules
  // out overlong forms, surrogates and values past U+10FFFF.
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    cp = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    cp = lead & 0x0Fu;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    cp = lead & 0x07u;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return kReplacementCharacter;
  }
  for (int i = 1; i < length; ++i) {
    if (pos >= text.size()) return kReplacementCharacter;
    const unsigned char c = byte(pos);
    if (c < low || c > high) return kReplacementCharacter;
    low = 0x80;
    high = 0xBF;
    cp = (cp << 6) | (c & 0x3Fu);
    ++pos;
  }
  return cp;
}

}  // namespace toolkit_detail
