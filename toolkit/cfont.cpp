#include "toolkit/cfont.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

#include "toolkit/detail/fontengine.h"
#include "toolkit/detail/utf8.h"

#define STBTT_STATIC
#define STB_TRUETYPE_IMPLEMENTATION
#include "stb_truetype.h"

// The font files, compiled into the library (toolkit/CMakeLists.txt).
extern const unsigned char kFont_LiberationSans_Regular_ttf[];
extern const unsigned long kFont_LiberationSans_Regular_ttf_size;
extern const unsigned char kFont_LiberationSans_Bold_ttf[];
extern const unsigned long kFont_LiberationSans_Bold_ttf_size;

const CFontRef kNormalFont = std::make_shared<CFontDesc>("Arial", 10);
const CFontRef kNormalFontSmall = std::make_shared<CFontDesc>("Arial", 9);
const CFontRef kNormalFontBig = std::make_shared<CFontDesc>("Arial", 12);

namespace toolkit_detail {
namespace {

constexpr int kMaxPixelSize = 512;
// The glyph cache is emptied when its images grow past this many bytes.
constexpr std::size_t kCacheBudget = 4u << 20;

struct Face {
  stbtt_fontinfo info{};
  bool valid = false;
  int unitsPerEm = 2048;
  int ascent = 0;   // font units, positive
  int descent = 0;  // font units, positive

  explicit Face(const unsigned char* data) {
    if (!stbtt_InitFont(&info, data, stbtt_GetFontOffsetForIndex(data, 0))) return;
    const int upem = (data[info.head + 18] << 8) | data[info.head + 19];
    if (upem <= 0) return;
    unitsPerEm = upem;
    int lineGap = 0;
    stbtt_GetFontVMetrics(&info, &ascent, &descent, &lineGap);
    descent = -descent;
    valid = true;
  }
};

struct FaceSet {
  Face regular{kFont_LiberationSans_Regular_ttf};
  Face bold{kFont_LiberationSans_Bold_ttf};
};

const FaceSet& faces() {
  static const FaceSet set;
  return set;
}

const Face* faceFor(const CFontDesc* font) {
  const FaceSet& set = faces();
  const Face& face = (font && (font->getStyle() & kBoldFace)) ? set.bold : set.regular;
  return face.valid ? &face : nullptr;
}

// floor(num / den) for den > 0.
std::int64_t floorDiv(std::int64_t num, std::int64_t den) {
  const std::int64_t q = num / den;
  return (num % den != 0 && num < 0) ? q - 1 : q;
}

// units * size / unitsPerEm rounded to the nearest pixel, halves upwards.
int unitsToPixels(std::int64_t units, int size, int unitsPerEm) {
  return static_cast<int>(floorDiv(2 * units * size + unitsPerEm, 2 * static_cast<std::int64_t>(unitsPerEm)));
}

class GlyphCache {
 public:
  std::shared_ptr<const GlyphImage> get(const Face& face, bool bold, int size, int glyph) {
    const std::uint64_t key = (static_cast<std::uint64_t>(bold) << 48) | (static_cast<std::uint64_t>(size) << 32) |
                              static_cast<std::uint32_t>(glyph);
    if (auto it = images_.find(key); it != images_.end()) return it->second;
    auto image = std::make_shared<GlyphImage>();
    const float scale = stbtt_ScaleForMappingEmToPixels(&face.info, static_cast<float>(size));
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    stbtt_GetGlyphBitmapBox(&face.info, glyph, scale, scale, &x0, &y0, &x1, &y1);
    if (x1 > x0 && y1 > y0) {
      image->left = x0;
      image->top = y0;
      image->width = x1 - x0;
      image->height = y1 - y0;
      image->coverage.assign(static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height), 0);
      stbtt_MakeGlyphBitmap(&face.info, image->coverage.data(), image->width, image->height, image->width, scale, scale,
                            glyph);
    }
    bytes_ += image->coverage.size() + sizeof(GlyphImage);
    if (bytes_ > kCacheBudget) {
      images_.clear();
      bytes_ = image->coverage.size() + sizeof(GlyphImage);
    }
    images_.emplace(key, image);
    return image;
  }

 private:
  std::unordered_map<std::uint64_t, std::shared_ptr<const GlyphImage>> images_;
  std::size_t bytes_ = 0;
};

std::mutex cacheMutex;
GlyphCache& glyphCache() {
  static GlyphCache cache;
  return cache;
}

// Walks the text's glyphs: visit(glyph index, pen position in font units) per code point.
// Answers the total advance in font units.
template <typename Visit>
std::int64_t walkText(const Face& face, std::string_view utf8, Visit&& visit) {
  std::int64_t pen = 0;
  int previous = -1;
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const char32_t cp = decodeUtf8(utf8, pos);
    const int glyph = stbtt_FindGlyphIndex(&face.info, static_cast<int>(cp));
    if (previous >= 0) pen += stbtt_GetGlyphKernAdvance(&face.info, previous, glyph);
    visit(glyph, pen);
    int advance = 0, bearing = 0;
    stbtt_GetGlyphHMetrics(&face.info, glyph, &advance, &bearing);
    pen += advance;
    previous = glyph;
  }
  return pen;
}

}  // namespace

int effectivePixelSize(const CFontDesc* font) {
  const int size = font ? font->getSize() : 10;
  if (size < 1) return 0;
  return size > kMaxPixelSize ? kMaxPixelSize : size;
}

FontMetrics fontMetrics(const CFontDesc* font) {
  const Face* face = faceFor(font);
  const int size = effectivePixelSize(font);
  if (!face || size == 0) return {};
  return {unitsToPixels(face->ascent, size, face->unitsPerEm), unitsToPixels(face->descent, size, face->unitsPerEm)};
}

int textWidth(const CFontDesc* font, std::string_view utf8) {
  const Face* face = faceFor(font);
  const int size = effectivePixelSize(font);
  if (!face || size == 0) return 0;
  const std::int64_t units = walkText(*face, utf8, [](int, std::int64_t) {});
  return unitsToPixels(units, size, face->unitsPerEm);
}

TextLayout layoutText(const CFontDesc* font, std::string_view utf8) {
  TextLayout layout;
  const Face* face = faceFor(font);
  const int size = effectivePixelSize(font);
  if (!face || size == 0) return layout;
  const bool bold = face == &faces().bold;
  std::lock_guard<std::mutex> lock(cacheMutex);
  GlyphCache& cache = glyphCache();
  const std::int64_t units = walkText(*face, utf8, [&](int glyph, std::int64_t pen) {
    auto image = cache.get(*face, bold, size, glyph);
    if (!image->coverage.empty())
      layout.glyphs.push_back({unitsToPixels(pen, size, face->unitsPerEm), std::move(image)});
  });
  layout.width = unitsToPixels(units, size, face->unitsPerEm);
  return layout;
}

}  // namespace toolkit_detail
