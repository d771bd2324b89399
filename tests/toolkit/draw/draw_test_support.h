// Small helpers for the renderer tests: canvases and pictures of them as text.
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/cdrawcontext.h"

namespace draw_test {

inline constexpr std::uint32_t kBackground = 0xFF000000u;

inline std::uint32_t argb(const CColor& c) {
  return (std::uint32_t{c.alpha} << 24) | (std::uint32_t{c.red} << 16) | (std::uint32_t{c.green} << 8) | c.blue;
}

// The canvas as rows of '.' (background) and '#' (anything else), one line per row.
inline std::string picture(const PixelBuffer& b, std::uint32_t background = kBackground) {
  std::string s;
  for (int y = 0; y < b.height; ++y) {
    for (int x = 0; x < b.width; ++x) s += b.row(y)[x] == background ? '.' : '#';
    s += '\n';
  }
  return s;
}

// Joins picture rows given one string per row.
inline std::string rows(std::initializer_list<const char*> lines) {
  std::string s;
  for (const char* l : lines) (s += l) += '\n';
  return s;
}

// Bounding box of the pixels that differ from the background; empty when there are none.
inline CRect inkBounds(const PixelBuffer& b, std::uint32_t background = kBackground) {
  CRect r;
  bool any = false;
  for (int y = 0; y < b.height; ++y)
    for (int x = 0; x < b.width; ++x) {
      if (b.row(y)[x] == background) continue;
      if (!any) {
        r = CRect(x, y, x + 1, y + 1);
        any = true;
      }
      r.unite(CRect(x, y, x + 1, y + 1));
    }
  return r;
}

}  // namespace draw_test
