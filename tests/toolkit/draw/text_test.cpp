// Text: metrics of the built-in face against the Arial metrics it is compatible with, pen
// positions, placement in a rectangle, missing glyphs, UTF-8 decoding and drawing from
// several threads at once.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "tests/toolkit/draw/draw_test_support.h"
#include "toolkit/detail/utf8.h"

namespace {

using draw_test::inkBounds;
using draw_test::kBackground;

CFontRef font(int size, int style = kNormalFace) { return std::make_shared<CFontDesc>("Arial", size, style); }

CCoord widthOf(std::string_view text, const CFontRef& f) {
  PixelBuffer b(1, 1);
  CDrawContext dc(b);
  dc.setFont(f);
  return dc.getStringWidth(text);
}

TEST(Text, StandardFonts) {
  EXPECT_EQ(kNormalFont->getSize(), 10);
  EXPECT_EQ(kNormalFontSmall->getSize(), 9);
  EXPECT_EQ(kNormalFontBig->getSize(), 12);
  PixelBuffer b(1, 1);
  EXPECT_EQ(CDrawContext(b).getFont(), kNormalFont);
}

TEST(Text, AscentAndDescentAreArialsRounded) {
  // Arial's ascent and descent are 1854 and 434 of 2048 units per em.
  struct Case {
    int size, style, ascent, descent;
  };
  const Case cases[] = {{9, kNormalFace, 8, 2},
                        {10, kNormalFace, 9, 2},
                        {12, kNormalFace, 11, 3},
                        {12, kBoldFace, 11, 3},
                        {24, kNormalFace, 22, 5}};
  for (const Case& c : cases) {
    PixelBuffer b(1, 1);
    CDrawContext dc(b);
    dc.setFont(font(c.size, c.style));
    EXPECT_EQ(dc.getFontAscent(), c.ascent) << c.size;
    EXPECT_EQ(dc.getFontDescent(), c.descent) << c.size;
  }
}

TEST(Text, WidthsRoundTheSumOfArialAdvances) {
  // Advances in Arial units of 2048 per em: H 1479, e 1139, l 455, o 1139, digits 1139,
  // space 569; bold H 1479, e 1139, l 569, o 1251.
  struct Case {
    const char* text;
    int size, style, width;
  };
  const Case cases[] = {
      {"Hello", 10, kNormalFace, 23},       // 4667 units = 22.8 pixels
      {"Hello", 9, kNormalFace, 21},        // 20.5
      {"Hello", 12, kNormalFace, 27},       // 27.3
      {"Hello", 10, kBoldFace, 24},         // 5007 units = 24.4
      {"1234567890", 10, kNormalFace, 56},  // 55.6
      {"lllll", 10, kNormalFace, 11},       // 11.1: whole pixels per glyph would give 10
      {" ", 10, kNormalFace, 3},            // 2.8
      {"", 10, kNormalFace, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(widthOf(c.text, font(c.size, c.style)), c.width) << c.text << " " << c.size;
}

TEST(Text, KerningPullsPairsTogether) {
  const CFontRef big = font(100);
  EXPECT_LT(widthOf("AV", big), widthOf("A", big) + widthOf("V", big));
  EXPECT_LT(widthOf("To", big), widthOf("T", big) + widthOf("o", big));
}

TEST(Text, HugeSizesDrawAtTheLargestSize) {
  EXPECT_EQ(widthOf("Hello", font(1 << 30)), widthOf("Hello", font(512)));
  EXPECT_GT(widthOf("Hello", font(512)), widthOf("Hello", font(511)));
}

TEST(Text, SizesThatDrawNothing) {
  for (int size : {0, -10}) {
    PixelBuffer b(40, 20, kBackground);
    CDrawContext dc(b);
    dc.setFontColor(kWhiteCColor);
    dc.setFont(font(size));
    dc.drawString("Hello", CRect(0, 0, 40, 20));
    EXPECT_EQ(dc.getStringWidth("Hello"), 0);
    EXPECT_EQ(dc.getFontAscent(), 0);
    EXPECT_TRUE(inkBounds(b).isEmpty()) << size;
  }
  PixelBuffer b(40, 20, kBackground);
  CDrawContext dc(b);
  dc.setFontColor(CColor(255, 255, 255, 0));
  dc.drawString("Hello", CRect(0, 0, 40, 20));
  EXPECT_TRUE(inkBounds(b).isEmpty());
}

TEST(Text, CentredTextLiesInItsBoxInsideTheRect) {
  // Pen start 10 + (50 - 23) / 2 = 23, baseline 10 + (20 + 9 - 2) / 2 = 23.
  PixelBuffer b(80, 40, kBackground);
  CDrawContext dc(b);
  dc.setFontColor(kWhiteCColor);
  dc.drawString("Hello", CRect(10, 10, 60, 30));
  const CRect ink = inkBounds(b);
  ASSERT_FALSE(ink.isEmpty());
  const CRect box(23, 23 - 9, 23 + 23, 23 + 2);
  EXPECT_EQ(CRect(ink).bound(box), ink) << ink.left << "," << ink.top << "," << ink.right << "," << ink.bottom;
  EXPECT_GE(ink.getWidth(), 20);
  EXPECT_GE(ink.getHeight(), 7);  // from the top of the l to the baseline
}

TEST(Text, AlignmentShiftsTheSameInkWithinTheRect) {
  const CRect rect(5, 5, 95, 25);
  struct Case {
    CHoriTxtAlign align;
    int shift;  // pen start minus rect.left
  };
  const int w = widthOf("Stellix", kNormalFont);
  const Case cases[] = {{kLeftText, 0}, {kCenterText, (90 - w) / 2}, {kRightText, 90 - w}};
  CRect reference;
  for (const Case& c : cases) {
    PixelBuffer b(100, 30, kBackground);
    CDrawContext dc(b);
    dc.setFontColor(kWhiteCColor);
    dc.drawString("Stellix", rect, c.align);
    const CRect ink = inkBounds(b);
    if (c.align == kLeftText) reference = ink;
    EXPECT_EQ(ink, CRect(reference).offset(c.shift, 0)) << c.align;
  }
}

TEST(Text, RectFormClipsToTheRectAndFollowsTheOffset) {
  // The same text left-aligned in a rect of the same height but wide enough: identical inside
  // the narrow rect (moved by the offset), nothing outside it.
  const char* text = "Full band precision limiter";
  PixelBuffer narrow(60, 30, kBackground), wide(400, 30, kBackground);
  for (PixelBuffer* b : {&narrow, &wide}) {
    CDrawContext dc(*b);
    dc.setFontColor(kWhiteCColor);
    dc.setFont(kNormalFontBig);
    dc.setOffset(CPoint(4, 3));
    dc.drawString(text, CRect(10, 5, b == &narrow ? 30 : 300, 12), kLeftText);
    EXPECT_EQ(dc.getClipRect(), CRect(0, 0, b->width, 30));
  }
  const CRect inside(14, 8, 34, 15);
  for (int y = 0; y < narrow.height; ++y)
    for (int x = 0; x < narrow.width; ++x)
      ASSERT_EQ(narrow.row(y)[x], inside.pointInside(CPoint(x, y)) ? wide.row(y)[x] : kBackground) << x << "," << y;
  EXPECT_FALSE(inkBounds(narrow).isEmpty());
}

TEST(Text, BaselineFormStartsThePenThere) {
  PixelBuffer a(40, 20, kBackground), b(40, 20, kBackground);
  CDrawContext da(a), db(b);
  da.setFontColor(kWhiteCColor);
  db.setFontColor(kWhiteCColor);
  da.drawString("Hello", CPoint(3, 12));
  db.setOffset(CPoint(5, 2));
  db.drawString("Hello", CPoint(-2, 10));
  EXPECT_EQ(a.pixels, b.pixels);
  // H stands on the baseline: its 1409-unit cap height is 6.9 pixels, so rows 5 to 11.
  PixelBuffer h(20, 20, kBackground);
  CDrawContext dh(h);
  dh.setFontColor(kWhiteCColor);
  dh.drawString("H", CPoint(3, 12));
  EXPECT_EQ(inkBounds(h).top, 5);
  EXPECT_EQ(inkBounds(h).bottom, 12);
  EXPECT_GE(inkBounds(h).left, 3);
}

TEST(Text, MissingGlyphsDrawTheFontsNotdef) {
  // A private-use character and a noncharacter: neither is in the font.
  const std::string privateUse = "\xEE\x80\x80";        // U+E000
  const std::string nonCharacter = "\xF4\x8F\xBF\xBF";  // U+10FFFF
  EXPECT_GT(widthOf(privateUse, kNormalFont), 0);
  EXPECT_EQ(widthOf(privateUse, kNormalFont), widthOf(nonCharacter, kNormalFont));
  PixelBuffer a(20, 20, kBackground), b(20, 20, kBackground);
  CDrawContext da(a), db(b);
  da.setFontColor(kWhiteCColor);
  db.setFontColor(kWhiteCColor);
  da.drawString(privateUse, CRect(0, 0, 20, 20));
  db.drawString(nonCharacter, CRect(0, 0, 20, 20));
  EXPECT_FALSE(inkBounds(a).isEmpty());
  EXPECT_EQ(a.pixels, b.pixels);
}

TEST(Text, InvalidUtf8DrawsAsTheReplacementCharacter) {
  const std::string fffd = "\xEF\xBF\xBD";
  struct Case {
    const char* what;
    std::string bytes;
    std::string same;
  };
  const Case cases[] = {
      {"stray byte", "a\xFFz", "a" + fffd + "z"},
      {"cut short at the end", "a\xE2\x82", "a" + fffd},
      {"overlong slash", "\xC0\xAF", fffd + fffd},
      {"surrogate", "\xED\xA0\x80", fffd + fffd + fffd},
  };
  for (const Case& c : cases) {
    PixelBuffer a(60, 20, kBackground), b(60, 20, kBackground);
    CDrawContext da(a), db(b);
    da.setFontColor(kWhiteCColor);
    db.setFontColor(kWhiteCColor);
    da.drawString(c.bytes, CRect(0, 0, 60, 20), kLeftText);
    db.drawString(c.same, CRect(0, 0, 60, 20), kLeftText);
    EXPECT_EQ(da.getStringWidth(c.bytes), db.getStringWidth(c.same)) << c.what;
    EXPECT_EQ(a.pixels, b.pixels) << c.what;
  }
}

struct DecodeCase {
  const char* what;
  std::string bytes;
  std::u32string expected;
};

TEST(Utf8, EachIllFormedPartBecomesOneReplacementCharacter) {
  constexpr char32_t R = 0xFFFD;
  // clang-format off
  const DecodeCase cases[] = {
    {"ASCII",                         "Az~",                      U"Az~"},
    {"two, three and four bytes",     "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB5", U"\u00E9\u20AC\U0001F3B5"},
    {"smallest and largest",          std::string("\0", 1) + "\xF4\x8F\xBF\xBF", std::u32string(1, 0) + U"\U0010FFFF"},
    {"lone continuation bytes",       "\x80\xBF",                 {R, R}},
    {"C0 and C1 never lead",          "\xC0\x80\xC1\xBF",         {R, R, R, R}},
    {"F5 to FF never lead",           "\xF5\xFE\xFF",             {R, R, R}},
    {"overlong three bytes",          "\xE0\x80\xAF",             {R, R, R}},
    {"overlong four bytes",           "\xF0\x8F\xBF\xBF",         {R, R, R, R}},
    {"surrogate",                     "\xED\xBF\xBF",             {R, R, R}},
    {"past U+10FFFF",                 "\xF4\x90\x80\x80",         {R, R, R, R}},
    {"cut short before ASCII",        "\xE2\x82" "A",             {R, U'A'}},
    {"cut short before a lead byte",  "\xF0\x9F\x8E\xC3\xA9",     {R, 0xE9}},
    {"cut short at the end",          "\xF0\x9F",                 {R}},
    {"largest BMP and noncharacter",  "\xEF\xBF\xBF",             {0xFFFF}},
  };
  // clang-format on
  for (const DecodeCase& c : cases) {
    std::u32string decoded;
    for (std::size_t pos = 0; pos < c.bytes.size();) decoded += toolkit_detail::decodeUtf8(c.bytes, pos);
    EXPECT_EQ(decoded, c.expected) << c.what;
  }
}

TEST(Text, SeveralThreadsDrawTheSamePixels) {
  // Large sizes fill the glyph cache past its budget, so it is emptied while other threads
  // still draw glyphs taken from it.
  const std::vector<CFontRef> fonts = {kNormalFont, kNormalFontSmall, font(12, kBoldFace), font(200), font(300)};
  const auto render = [&](PixelBuffer& b) {
    CDrawContext dc(b);
    dc.setFontColor(kWhiteCColor);
    for (const CFontRef& f : fonts) {
      dc.setFont(f);
      dc.drawString("Korvan Stellix 0123456789 -dB", CRect(0, 0, b.width, b.height), kLeftText);
    }
  };
  PixelBuffer reference(400, 300, kBackground);
  render(reference);
  std::vector<PixelBuffer> results(4, PixelBuffer(400, 300, kBackground));
  std::vector<std::thread> threads;
  for (PixelBuffer& r : results)
    threads.emplace_back([&] {
      for (int i = 0; i < 5; ++i) {
        r = PixelBuffer(400, 300, kBackground);
        render(r);
      }
    });
  for (std::thread& t : threads) t.join();
  for (const PixelBuffer& r : results) EXPECT_EQ(r.pixels, reference.pixels);
}

}  // namespace
