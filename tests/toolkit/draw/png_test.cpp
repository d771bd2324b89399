// PNG in and out: bitmaps decoded from PNG bytes, and framebuffers written as PNG files,
// checked with an independent copy of the stb coder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "toolkit/cbitmap.h"
#include "toolkit/pixelbuffer.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include "stb_image.h"
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "stb_image_write.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// Pixels with every channel distinct, so that a swapped channel shows.
PixelBuffer sample(int w, int h, std::uint8_t alpha) {
  PixelBuffer b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.row(y)[x] = (std::uint32_t{alpha} << 24) | (static_cast<std::uint32_t>(x * 16 + 1) << 16) |
                    (static_cast<std::uint32_t>(y * 16 + 2) << 8) | static_cast<std::uint32_t>(x + y + 3);
  return b;
}

// The RGBA bytes of a buffer, as a PNG stores them.
Bytes rgbaOf(const PixelBuffer& b) {
  Bytes out;
  for (std::uint32_t p : b.pixels)
    for (int shift : {16, 8, 0, 24}) out.push_back(static_cast<std::uint8_t>(p >> shift));
  return out;
}

Bytes encode(const PixelBuffer& b, int channels = 4) {
  Bytes rgba = rgbaOf(b), packed;
  for (std::size_t i = 0; i < rgba.size(); i += 4) packed.insert(packed.end(), &rgba[i], &rgba[i] + channels);
  int length = 0;
  unsigned char* png = stbi_write_png_to_mem(packed.data(), b.width * channels, b.width, b.height, channels, &length);
  Bytes out(png, png + length);
  STBIW_FREE(png);
  return out;
}

// The RGBA bytes of a PNG file, empty when it does not decode.
Bytes decodeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  int w = 0, h = 0, n = 0;
  stbi_uc* p = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &w, &h, &n, 4);
  if (!p) return {};
  Bytes out(p, p + static_cast<std::size_t>(w) * h * 4);
  stbi_image_free(p);
  return out;
}

class PngFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("stellix-png-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::vector<std::string> files() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
    return names;
  }
  fs::path dir_;
};

TEST(BitmapDecoding, PngBecomesStraightAlphaArgb) {
  struct Case {
    const char* what;
    PixelBuffer pixels;
    int channels;
    bool hasAlpha;
  };
  const Case cases[] = {
      {"RGBA, translucent", sample(5, 3, 0x80), 4, true},
      {"RGBA, all opaque", sample(5, 3, 0xFF), 4, false},
      {"RGB without alpha", sample(3, 4, 0xFF), 3, false},
      {"RGBA, one transparent pixel",
       [] {
         auto b = sample(2, 2, 0xFF);
         b.row(1)[1] &= 0x00FFFFFFu;
         return b;
       }(),
       4, true},
  };
  for (const Case& c : cases) {
    const Bytes png = encode(c.pixels, c.channels);
    const CBitmap bitmap(png.data(), png.size());
    ASSERT_TRUE(bitmap.isLoaded()) << c.what;
    EXPECT_EQ(bitmap.getWidth(), c.pixels.width) << c.what;
    EXPECT_EQ(bitmap.getHeight(), c.pixels.height) << c.what;
    EXPECT_EQ(bitmap.pixels().pixels, c.pixels.pixels) << c.what;
    EXPECT_EQ(bitmap.hasAlpha(), c.hasAlpha) << c.what;
  }
}

TEST(BitmapDecoding, DataThatIsNotAWholePngGivesAnEmptyBitmap) {
  const Bytes png = encode(sample(4, 4, 0xFF));
  const Bytes truncated(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(png.size() / 2));
  Bytes corrupt = png;
  corrupt[1] = 'X';
  const Bytes empty;
  for (const Bytes* bytes : std::vector<const Bytes*>{&truncated, &corrupt, &empty}) {
    const CBitmap bitmap(bytes->data(), bytes->size());
    EXPECT_FALSE(bitmap.isLoaded());
    EXPECT_EQ(bitmap.getWidth(), 0);
  }
  EXPECT_FALSE(CBitmap(nullptr, 100).isLoaded());
}

TEST(BitmapDecoding, MissingResourceGivesAnEmptyBitmapThatKeepsItsId) {
  const SharedBitmap b = loadBitmap(987654);
  ASSERT_TRUE(b);
  EXPECT_FALSE(b->isLoaded());
  EXPECT_EQ(b->getResourceId(), 987654);
}

TEST_F(PngFiles, WrittenFileDecodesToTheSameBytes) {
  const PixelBuffer b = sample(7, 5, 0x40);
  for (const char* name : {"out.png",
                           "Gr\xC3\xBC\xC3\x9F"
                           "e und Leerzeichen.png"}) {
    const fs::path path = dir_ / fs::path(std::u8string(reinterpret_cast<const char8_t*>(name)));
    ASSERT_TRUE(writePng(b, (dir_.string() + "/" + name).c_str())) << name;
    EXPECT_EQ(decodeFile(path), rgbaOf(b)) << name;
    fs::remove(path);
  }
  EXPECT_TRUE(files().empty());
}

TEST_F(PngFiles, AnExistingFileIsReplaced) {
  const fs::path path = dir_ / "out.png";
  ASSERT_TRUE(writePng(sample(9, 9, 0xFF), path.string().c_str()));
  const PixelBuffer second = sample(2, 3, 0x11);
  ASSERT_TRUE(writePng(second, path.string().c_str()));
  EXPECT_EQ(decodeFile(path), rgbaOf(second));
  EXPECT_EQ(files(), std::vector<std::string>{"out.png"});
}

TEST_F(PngFiles, FailuresLeaveNothingBehind) {
  const PixelBuffer good = sample(2, 2, 0xFF);
  PixelBuffer mismatched = sample(2, 2, 0xFF);
  mismatched.pixels.pop_back();
  EXPECT_FALSE(writePng(good, (dir_ / "no-such-folder" / "out.png").string().c_str()));
  EXPECT_FALSE(writePng(PixelBuffer(), (dir_ / "empty.png").string().c_str()));
  EXPECT_FALSE(writePng(mismatched, (dir_ / "mismatched.png").string().c_str()));
  EXPECT_FALSE(writePng(good, nullptr));
  EXPECT_FALSE(writePng(good, ""));
  // A folder in the way of the file: the write fails and the folder stays.
  fs::create_directory(dir_ / "taken.png");
  EXPECT_FALSE(writePng(good, (dir_ / "taken.png").string().c_str()));
  EXPECT_EQ(files(), std::vector<std::string>{"taken.png"});
  EXPECT_TRUE(fs::is_directory(dir_ / "taken.png"));
}

}  // namespace
