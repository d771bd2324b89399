// The images as byte arrays compiled into the library (resources/CMakeLists.txt embeds
// png/<id>.png as kImage_<id>_png), found by id in a table.
#include "toolkit/resources.h"

// One entry per image of png/; korvan_stellix.rc binds the same ids on Windows.
// clang-format off
#define STELLIX_IMAGES(X)                                                                                 \
  X(128) X(129) X(130) X(131) X(132) X(133) X(134) X(135) X(136) X(137) X(138) X(139) X(140) X(141) X(142) \
  X(143) X(144) X(145) X(146) X(147) X(148) X(149) X(150) X(151) X(152) X(153) X(154) X(155) X(156) X(160) \
  X(161) X(162) X(163) X(164) X(165) X(166) X(167) X(170) X(989) X(990) X(991) X(992) X(993) X(995)

#define STELLIX_DECLARE_IMAGE(id)                 \
  extern const unsigned char kImage_##id##_png[]; \
  extern const unsigned long kImage_##id##_png_size;
STELLIX_IMAGES(STELLIX_DECLARE_IMAGE)
// clang-format on

namespace {

struct Image {
  int id;
  const unsigned char* data;
  const unsigned long* size;
};

#define STELLIX_IMAGE_ENTRY(id) {id, kImage_##id##_png, &kImage_##id##_png_size},
const Image kImages[] = {STELLIX_IMAGES(STELLIX_IMAGE_ENTRY)};

}  // namespace

ResourceBytes findImageResource(int id) {
  for (const Image& image : kImages) {
    if (image.id == id) return {image.data, static_cast<std::size_t>(*image.size)};
  }
  return {};
}
