// Points and rectangles in whole pixels. Rectangles are half-open: a rectangle covers the
// pixels left <= x < right and top <= y < bottom, so its width is right - left.
#pragma once

#include <algorithm>

using CCoord = int;

struct CPoint {
  CCoord x = 0;
  CCoord y = 0;

  constexpr CPoint() = default;
  constexpr CPoint(CCoord x_, CCoord y_) : x(x_), y(y_) {}

  constexpr CPoint& offset(CCoord dx, CCoord dy) {
    x += dx;
    y += dy;
    return *this;
  }
  constexpr bool operator==(const CPoint&) const = default;
};

struct CRect {
  CCoord left = 0;
  CCoord top = 0;
  CCoord right = 0;
  CCoord bottom = 0;

  constexpr CRect() = default;
  constexpr CRect(CCoord l, CCoord t, CCoord r, CCoord b) : left(l), top(t), right(r), bottom(b) {}
  constexpr CRect(const CPoint& origin, CCoord width, CCoord height)
      : left(origin.x), top(origin.y), right(origin.x + width), bottom(origin.y + height) {}

  constexpr CCoord getWidth() const { return right - left; }
  constexpr CCoord getHeight() const { return bottom - top; }
  constexpr CCoord width() const { return right - left; }
  constexpr CCoord height() const { return bottom - top; }
  constexpr CPoint getTopLeft() const { return {left, top}; }
  constexpr bool isEmpty() const { return right <= left || bottom <= top; }

  constexpr CRect& setWidth(CCoord w) {
    right = left + w;
    return *this;
  }
  constexpr CRect& setHeight(CCoord h) {
    bottom = top + h;
    return *this;
  }
  constexpr CRect& offset(CCoord dx, CCoord dy) {
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
    return *this;
  }
  constexpr CRect& moveTo(CCoord x, CCoord y) { return offset(x - left, y - top); }
  // Grows the rectangle by dx on the left and right and dy on the top and bottom.
  constexpr CRect& inset(CCoord dx, CCoord dy) {
    left += dx;
    right -= dx;
    top += dy;
    bottom -= dy;
    return *this;
  }

  constexpr bool pointInside(const CPoint& p) const {
    return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
  }
  constexpr bool rectOverlap(const CRect& r) const {
    return r.left < right && r.right > left && r.top < bottom && r.bottom > top;
  }
  // The common part of both; empty (isEmpty) when they do not overlap.
  constexpr CRect& bound(const CRect& r) {
    left = std::max(left, r.left);
    top = std::max(top, r.top);
    right = std::max(left, std::min(right, r.right));
    bottom = std::max(top, std::min(bottom, r.bottom));
    return *this;
  }
  // The smallest rectangle holding both; an empty operand adds nothing.
  constexpr CRect& unite(const CRect& r) {
    if (r.isEmpty()) return *this;
    if (isEmpty()) return *this = r;
    left = std::min(left, r.left);
    top = std::min(top, r.top);
    right = std::max(right, r.right);
    bottom = std::max(bottom, r.bottom);
    return *this;
  }
  constexpr bool operator==(const CRect&) const = default;
};
