// The font machinery behind CDrawContext's text: the embedded Liberation Sans faces, their
// metrics and a cache of rasterised glyphs shared by every drawing context.
//
// Pen positions. A text's glyph advances and the kerning between neighbours are summed in
// font units, and glyph i is placed at round(sum of the units before it * size / unitsPerEm)
// pixels from the start, so the rounding never accumulates over the text; a text's width is
// the same rounding of its whole sum. Glyph images are rasterised once per face, size and
// glyph at a whole-pixel origin and blitted at those pen positions.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "toolkit/cfont.h"

namespace toolkit_detail {

// Coverage image of one glyph (0..255 per pixel), placed with its top-left corner at
// (pen x + left, baseline + top).
struct GlyphImage {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> coverage;
};

struct PlacedGlyph {
  int penX = 0;  // from the start of the text, in pixels
  std::shared_ptr<const GlyphImage> image;
};

struct TextLayout {
  std::vector<PlacedGlyph> glyphs;
  int width = 0;
};

struct FontMetrics {
  int ascent = 0;   // above the baseline, pixels
  int descent = 0;  // below the baseline, pixels
};

// The pixel size text is drawn at: sizes below 1 draw nothing (0), large sizes are limited
// so that one glyph image stays a reasonable size.
int effectivePixelSize(const CFontDesc* font);

FontMetrics fontMetrics(const CFontDesc* font);
// Width of the text as drawn, without rasterising anything.
int textWidth(const CFontDesc* font, std::string_view utf8);
// Glyph images and pen positions of the text (glyphs without ink, such as spaces, are left
// out).
TextLayout layoutText(const CFontDesc* font, std::string_view utf8);

}  // namespace toolkit_detail
