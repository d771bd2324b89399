#include "toolkit/cdrawcontext.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "toolkit/detail/fontengine.h"

namespace {

// Rectangles in 64-bit coordinates: a rectangle moved by the offset, or a line's pen, may
// lie outside the range of int without that being an error.
struct Box {
  std::int64_t left = 0, top = 0, right = 0, bottom = 0;
  bool empty() const { return right <= left || bottom <= top; }
};

Box intersect(const Box& a, const Box& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

Box toBox(const CRect& r, const CPoint& offset) {
  return {std::int64_t{r.left} + offset.x, std::int64_t{r.top} + offset.y, std::int64_t{r.right} + offset.x,
          std::int64_t{r.bottom} + offset.y};
}

std::uint32_t packed(const CColor& c) {
  return (std::uint32_t{c.alpha} << 24) | (std::uint32_t{c.red} << 16) | (std::uint32_t{c.green} << 8) | c.blue;
}

// Source colour rgb (0x00RRGGBB) with alpha a over the destination pixel d.
inline std::uint32_t blend(std::uint32_t d, std::uint32_t rgb, std::uint32_t a) {
  if (a >= 255) return rgb | 0xFF000000u;
  if (a == 0) return d;
  const std::uint32_t inv = 255 - a;
  const std::uint32_t r = (((rgb >> 16) & 0xFFu) * a + ((d >> 16) & 0xFFu) * inv + 127) / 255;
  const std::uint32_t g = (((rgb >> 8) & 0xFFu) * a + ((d >> 8) & 0xFFu) * inv + 127) / 255;
  const std::uint32_t b = ((rgb & 0xFFu) * a + (d & 0xFFu) * inv + 127) / 255;
  const std::uint32_t alpha = a + (d >> 24) * inv / 255;
  return (alpha << 24) | (r << 16) | (g << 8) | b;
}

// a * b / 255 rounded to nearest.
inline std::uint32_t scale255(std::uint32_t a, std::uint32_t b) { return (a * b + 127) / 255; }

// Colours the pixels of box (already inside the buffer) with c.
void fillBox(PixelBuffer& buffer, const Box& box, const CColor& c) {
  if (box.empty() || c.alpha == 0) return;
  const std::uint32_t value = packed(c);
  const std::uint32_t rgb = value & 0xFFFFFFu;
  const auto x0 = static_cast<std::size_t>(box.left);
  const auto x1 = static_cast<std::size_t>(box.right);
  for (std::int64_t y = box.top; y < box.bottom; ++y) {
    std::uint32_t* row = buffer.row(static_cast<int>(y));
    if (c.alpha == 255) {
      std::fill(row + x0, row + x1, value);
    } else {
      for (std::size_t x = x0; x < x1; ++x) row[x] = blend(row[x], rgb, c.alpha);
    }
  }
}

// floor(num / den) for den > 0.
std::int64_t floorDiv(std::int64_t num, std::int64_t den) {
  const std::int64_t q = num / den;
  return (num % den != 0 && num < 0) ? q - 1 : q;
}

// Offset along the minor axis of a line with major extent n and minor extent m (0 <= m <= n,
// n > 0), t steps along the major axis: t * m / n rounded, halves away from the start.
// Exact without 128-bit arithmetic for extents up to 2^34: the product is taken in two parts.
std::int64_t minorStep(std::int64_t t, std::int64_t m, std::int64_t n) {
  const std::int64_t den = 2 * n;
  const std::int64_t high = t * (m >> 17);  // times 2^17
  const std::int64_t low = t * (m & 0x1FFFF);
  // (2 * t * m + n) / den = (high * 2^18 + 2 * low + n) / den
  const std::int64_t q1 = high / den;
  const std::int64_t r1 = high % den;
  return q1 * (std::int64_t{1} << 18) + (r1 * (std::int64_t{1} << 18) + 2 * low + n) / den;
}

// Draws glyph coverage in colour c with the pen origin at (x, baseline), limited to clip.
void drawLayout(PixelBuffer& buffer, const toolkit_detail::TextLayout& layout, std::int64_t x, std::int64_t baseline,
                const Box& clip, const CColor& c) {
  if (clip.empty() || c.alpha == 0) return;
  const std::uint32_t rgb = packed(c) & 0xFFFFFFu;
  for (const toolkit_detail::PlacedGlyph& placed : layout.glyphs) {
    const toolkit_detail::GlyphImage& image = *placed.image;
    const std::int64_t gx = x + placed.penX + image.left;
    const std::int64_t gy = baseline + image.top;
    const Box area = intersect({gx, gy, gx + image.width, gy + image.height}, clip);
    if (area.empty()) continue;
    for (std::int64_t y = area.top; y < area.bottom; ++y) {
      const std::uint8_t* src = image.coverage.data() + static_cast<std::size_t>(y - gy) * image.width;
      std::uint32_t* row = buffer.row(static_cast<int>(y));
      for (std::int64_t px = area.left; px < area.right; ++px) {
        const std::uint32_t coverage = src[px - gx];
        if (coverage == 0) continue;
        row[px] = blend(row[px], rgb, scale255(coverage, c.alpha));
      }
    }
  }
}

}  // namespace

CDrawContext::CDrawContext(PixelBuffer& target) : target_(target), font_(kNormalFont) { resetClipRect(); }

void CDrawContext::setClipRect(const CRect& clip) {
  clip_ = clip;
  clip_.bound(CRect(0, 0, target_.width, target_.height));
}

void CDrawContext::resetClipRect() { clip_ = CRect(0, 0, std::max(target_.width, 0), std::max(target_.height, 0)); }

namespace {

// The clip rectangle limited to the buffer as it is now (it may have been resized since the
// clip was set); empty when the buffer's storage does not match its size.
Box drawableBox(const PixelBuffer& buffer, const CRect& clip) {
  if (buffer.width <= 0 || buffer.height <= 0 ||
      buffer.pixels.size() < static_cast<std::size_t>(buffer.width) * static_cast<std::size_t>(buffer.height))
    return {};
  return intersect({clip.left, clip.top, clip.right, clip.bottom}, {0, 0, buffer.width, buffer.height});
}

}  // namespace

void CDrawContext::drawBitmap(const CBitmap& bitmap, const CRect& dest, const CPoint& srcOffset, float alpha) {
  if (!bitmap.isLoaded()) return;
  // NaN fails every comparison and so counts as 0.
  const std::uint32_t globalAlpha =
      alpha >= 1.0f ? 255u : (alpha > 0.0f ? static_cast<std::uint32_t>(std::lround(alpha * 255.0)) : 0u);
  if (globalAlpha == 0) return;
  const PixelBuffer& src = bitmap.pixels();
  const Box d = toBox(dest, offset_);
  // Destination pixels whose source lies inside the bitmap.
  const Box inside{d.left - srcOffset.x, d.top - srcOffset.y, d.left - srcOffset.x + src.width,
                   d.top - srcOffset.y + src.height};
  const Box area = intersect(intersect(d, inside), drawableBox(target_, clip_));
  if (area.empty()) return;
  const auto count = static_cast<std::size_t>(area.right - area.left);
  const std::int64_t sx = srcOffset.x + (area.left - d.left);
  const bool straight = globalAlpha == 255 && !bitmap.hasAlpha();
  for (std::int64_t y = area.top; y < area.bottom; ++y) {
    const std::uint32_t* from = src.row(static_cast<int>(srcOffset.y + (y - d.top))) + sx;
    std::uint32_t* to = target_.row(static_cast<int>(y)) + area.left;
    if (straight) {
      std::memcpy(to, from, count * sizeof(std::uint32_t));
      continue;
    }
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint32_t s = from[i];
      std::uint32_t a = s >> 24;
      if (globalAlpha != 255) a = scale255(a, globalAlpha);
      to[i] = a == 255 ? s : blend(to[i], s & 0xFFFFFFu, a);
    }
  }
}

void CDrawContext::fillRect(const CRect& rect) {
  fillBox(target_, intersect(toBox(rect, offset_), drawableBox(target_, clip_)), fillColor_);
}

void CDrawContext::frameRect(const CRect& rect) {
  const Box r = toBox(rect, offset_);
  if (r.empty()) return;
  const Box clip = drawableBox(target_, clip_);
  const std::int64_t w = lineWidth_;
  // Four bands that do not overlap, so that a translucent colour is applied once per pixel.
  const std::int64_t topEnd = std::min(r.top + w, r.bottom);
  const std::int64_t bottomStart = std::max(r.bottom - w, topEnd);
  const std::int64_t leftEnd = std::min(r.left + w, r.right);
  const std::int64_t rightStart = std::max(r.right - w, leftEnd);
  fillBox(target_, intersect({r.left, r.top, r.right, topEnd}, clip), frameColor_);
  fillBox(target_, intersect({r.left, bottomStart, r.right, r.bottom}, clip), frameColor_);
  fillBox(target_, intersect({r.left, topEnd, leftEnd, bottomStart}, clip), frameColor_);
  fillBox(target_, intersect({rightStart, topEnd, r.right, bottomStart}, clip), frameColor_);
}

void CDrawContext::drawLine(const CPoint& a, const CPoint& b) {
  const Box clip = drawableBox(target_, clip_);
  if (clip.empty() || frameColor_.alpha == 0) return;
  std::int64_t x0 = std::int64_t{a.x} + offset_.x, y0 = std::int64_t{a.y} + offset_.y;
  std::int64_t x1 = std::int64_t{b.x} + offset_.x, y1 = std::int64_t{b.y} + offset_.y;
  const std::int64_t w = lineWidth_;
  if (y0 == y1) {
    fillBox(target_, intersect({std::min(x0, x1), y0, std::max(x0, x1) + 1, y0 + w}, clip), frameColor_);
    return;
  }
  if (x0 == x1) {
    fillBox(target_, intersect({x0, std::min(y0, y1), x0 + w, std::max(y0, y1) + 1}, clip), frameColor_);
    return;
  }
  // A slanted line: a square pen of w pixels whose top-left corner follows the line's pixels.
  // Each row is filled once, from the leftmost to the rightmost pen covering it.
  const bool xMajor = std::abs(x1 - x0) >= std::abs(y1 - y0);
  if (xMajor ? x0 > x1 : y0 > y1) {
    std::swap(x0, x1);
    std::swap(y0, y1);
  }
  const std::int64_t n = xMajor ? x1 - x0 : y1 - y0;      // > 0
  const std::int64_t minor = xMajor ? y1 - y0 : x1 - x0;  // non-zero
  const std::int64_t m = std::abs(minor);
  const std::int64_t sign = minor < 0 ? -1 : 1;
  const std::int64_t rowFirst = std::max(clip.top, std::min(y0, y1));
  const std::int64_t rowEnd = std::min(clip.bottom, std::max(y0, y1) + w);
  for (std::int64_t row = rowFirst; row < rowEnd; ++row) {
    // Pen positions whose square covers this row: top-left y in [row - w + 1, row].
    const std::int64_t lo = row - w + 1, hi = row;
    std::int64_t spanLeft = 0, spanRight = 0;  // top-left x range, inclusive
    if (xMajor) {
      // y(t) = y0 + sign * minorStep(t); find the t with y in [lo, hi].
      std::int64_t gLo = sign > 0 ? lo - y0 : y0 - hi;
      std::int64_t gHi = sign > 0 ? hi - y0 : y0 - lo;
      gLo = std::max<std::int64_t>(gLo, 0);
      gHi = std::min(gHi, m);
      if (gLo > gHi) continue;
      // First t with minorStep(t) >= gLo and last t with minorStep(t) <= gHi.
      std::int64_t first = 0, last = n;
      for (std::int64_t h = n; first < h;) {
        const std::int64_t mid = first + (h - first) / 2;
        if (minorStep(mid, m, n) >= gLo)
          h = mid;
        else
          first = mid + 1;
      }
      for (std::int64_t l = 0; l < last;) {
        const std::int64_t mid = l + (last - l + 1) / 2;
        if (minorStep(mid, m, n) <= gHi)
          l = mid;
        else
          last = mid - 1;
      }
      if (first > last) continue;
      spanLeft = x0 + first;
      spanRight = x0 + last;
    } else {
      const std::int64_t tLo = std::max(lo, y0) - y0, tHi = std::min(hi, y1) - y0;
      if (tLo > tHi) continue;
      const std::int64_t xa = x0 + sign * minorStep(tLo, m, n), xb = x0 + sign * minorStep(tHi, m, n);
      spanLeft = std::min(xa, xb);
      spanRight = std::max(xa, xb);
    }
    fillBox(target_, intersect({spanLeft, row, spanRight + w, row + 1}, clip), frameColor_);
  }
}

void CDrawContext::drawPoint(const CPoint& p, const CColor& c) {
  const std::int64_t x = std::int64_t{p.x} + offset_.x, y = std::int64_t{p.y} + offset_.y;
  fillBox(target_, intersect({x, y, x + 1, y + 1}, drawableBox(target_, clip_)), c);
}

void CDrawContext::drawString(std::string_view utf8, const CPoint& baselineStart) {
  const Box clip = drawableBox(target_, clip_);
  if (clip.empty() || fontColor_.alpha == 0) return;
  const auto layout = toolkit_detail::layoutText(font_.get(), utf8);
  drawLayout(target_, layout, std::int64_t{baselineStart.x} + offset_.x, std::int64_t{baselineStart.y} + offset_.y,
             clip, fontColor_);
}

void CDrawContext::drawString(std::string_view utf8, const CRect& rect, CHoriTxtAlign align) {
  const Box box = toBox(rect, offset_);
  const Box clip = intersect(drawableBox(target_, clip_), box);
  if (clip.empty() || fontColor_.alpha == 0) return;
  const auto layout = toolkit_detail::layoutText(font_.get(), utf8);
  const auto metrics = toolkit_detail::fontMetrics(font_.get());
  const std::int64_t width = box.right - box.left, height = box.bottom - box.top;
  std::int64_t x = box.left;
  if (align == kCenterText) x = box.left + floorDiv(width - layout.width, 2);
  if (align == kRightText) x = box.right - layout.width;
  const std::int64_t baseline = box.top + floorDiv(height + metrics.ascent - metrics.descent, 2);
  drawLayout(target_, layout, x, baseline, clip, fontColor_);
}

CCoord CDrawContext::getStringWidth(std::string_view utf8) const {
  return toolkit_detail::textWidth(font_.get(), utf8);
}

CCoord CDrawContext::getFontAscent() const { return toolkit_detail::fontMetrics(font_.get()).ascent; }

CCoord CDrawContext::getFontDescent() const { return toolkit_detail::fontMetrics(font_.get()).descent; }
