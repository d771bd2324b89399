// An 8-bit RGBA colour, straight (not premultiplied) alpha.
#pragma once

#include <cstdint>

struct CColor {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t alpha = 255;

  constexpr CColor() = default;
  constexpr CColor(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255)
      : red(r), green(g), blue(b), alpha(a) {}
  constexpr bool operator==(const CColor&) const = default;
};

inline constexpr CColor kBlackCColor{0, 0, 0, 255};
inline constexpr CColor kWhiteCColor{255, 255, 255, 255};
inline constexpr CColor kTransparentCColor{0, 0, 0, 0};
