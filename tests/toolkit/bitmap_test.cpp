// Bitmaps: BMP files written and read for every bit count, the array
// formats, the checks on untrusted files, and copies of the screen.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include "draw_testing.h"
#include "support/test_support.h"
#include "toolkit/bitmaps.h"

namespace {

using namespace toolkit;
using tktest::ToolkitTest;
using bytes = std::vector<unsigned char>;

void put32(bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

const std::uint32_t kColours[4] = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF};

// A 3 x 2 BMP file whose pixel k (DIB order) has colour kColours[k % 4]
// (two colours at 1 bit), with a colour table for up to 8 bits.
bytes bmp_file(int bits) {
  const int w = 3, h = 2, colours = bits == 1 ? 2 : bits <= 8 ? 4 : 0;
  const int row = DIB_ROW_BYTES(bits, w);
  bytes f(14 + 40 + colours * 4 + row * h, 0);
  f[0] = 'B';
  f[1] = 'M';
  put32(f, 2, static_cast<std::uint32_t>(f.size()));
  put32(f, 10, 54 + colours * 4);
  put32(f, 14, 40);
  put32(f, 18, w);
  put32(f, 22, h);
  f[26] = 1;
  f[28] = static_cast<unsigned char>(bits);
  put32(f, 46, colours);
  for (int i = 0; i < colours; ++i) {
    const std::uint32_t c = kColours[i];
    f[54 + 4 * i] = static_cast<unsigned char>(c >> 16);
    f[55 + 4 * i] = static_cast<unsigned char>(c >> 8);
    f[56 + 4 * i] = static_cast<unsigned char>(c);
  }
  for (int k = 0; k < w * h; ++k) {
    unsigned char* p = f.data() + 54 + colours * 4 + (k / w) * row;
    const int x = k % w, index = k % (colours == 2 ? 2 : 4);
    const std::uint32_t c = kColours[index];
    const unsigned r = c & 0xFF, g = (c >> 8) & 0xFF, b = c >> 16;
    switch (bits) {
      case 1:
        p[x / 8] |= static_cast<unsigned char>(index << (7 - x % 8));
        break;
      case 4:
        p[x / 2] |= static_cast<unsigned char>(index << (x % 2 == 0 ? 4 : 0));
        break;
      case 8:
        p[x] = static_cast<unsigned char>(index);
        break;
      case 16: {
        const unsigned v = (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
        p[2 * x] = static_cast<unsigned char>(v);
        p[2 * x + 1] = static_cast<unsigned char>(v >> 8);
        break;
      }
      default:
        p[x * (bits / 8)] = static_cast<unsigned char>(b);
        p[x * (bits / 8) + 1] = static_cast<unsigned char>(g);
        p[x * (bits / 8) + 2] = static_cast<unsigned char>(r);
        break;
    }
  }
  return f;
}

void write(const std::string& path, const bytes& b) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

bytes read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return bytes(std::istreambuf_iterator<char>(in), {});
}

win::HBITMAP load(const std::string& path, int* ups) {
  return LOAD_BITMAP(nullptr, 0, nullptr, path.c_str(), static_cast<int>(path.size()), nullptr,
                     nullptr, nullptr, nullptr, nullptr, nullptr, ups);
}

std::vector<std::uint32_t> pixels_of(win::HBITMAP bitmap, int w, int h) {
  std::vector<std::uint32_t> out(static_cast<std::size_t>(w) * h);
  BITMAP_TO_ARRAY_I4(bitmap, out.data(), w, h, nullptr, nullptr, nullptr);
  return out;
}

TEST_F(ToolkitTest, BmpFilesOfEveryBitCountAreReadAndWrittenBackWhole) {
  testsupport::TempDir dir;
  for (int bits : {1, 4, 8, 16, 24, 32}) {
    SCOPED_TRACE(bits);
    const std::string in = dir.file("in.bmp"), out = dir.file("out.bmp");
    write(in, bmp_file(bits));
    int ups = -1;
    const win::HBITMAP bitmap = load(in, &ups);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(ups, 0);
    std::vector<std::uint32_t> expected;
    for (int k = 0; k < 6; ++k) expected.push_back(kColours[k % (bits == 1 ? 2 : 4)]);
    EXPECT_EQ(pixels_of(bitmap, 3, 2), expected);
    // Through a DIB into a file and back.
    const win::HGLOBAL dib = BITMAP_TO_DIB(bitmap, nullptr, nullptr, &ups);
    ASSERT_NE(dib, nullptr);
    ASSERT_TRUE(SAVE_BITMAP_FILE(dib, out.c_str(), static_cast<int>(out.size()), &ups));
    win::GlobalFree(dib);
    EXPECT_EQ(pixels_of(load(out, &ups), 3, 2), expected);
  }
}

TEST_F(ToolkitTest, ATwoByTwoDibIsWrittenAs70BytesAndABadHeaderTouchesNoFile) {
  testsupport::TempDir dir;
  const std::uint32_t pixels[4] = {0x0000FF, 0x00FF00, 0xFF0000, 0x000000};
  const win::HBITMAP bitmap = ARRAY_TO_BITMAP_24(pixels, 2, 2, nullptr, nullptr);
  const win::HGLOBAL dib = BITMAP_TO_DIB(bitmap, nullptr, nullptr, nullptr);
  const std::string path = dir.file("two.bmp");
  ASSERT_EQ(WRITE_BMP_FILE(dib, path.c_str()), 0);
  const bytes f = read(path);
  ASSERT_EQ(f.size(), 70u);
  EXPECT_EQ(f[10], 54);
  EXPECT_EQ(f[2], 70);
  EXPECT_EQ(f[54], 0x00);  // bottom-left pixel red: blue, green, red
  EXPECT_EQ(f[56], 0xFF);
  // A header of another size: status 3, the file as it was.
  auto* header = static_cast<unsigned char*>(win::GlobalLock(dib));
  header[0] = 12;
  win::GlobalUnlock(dib);
  EXPECT_EQ(WRITE_BMP_FILE(dib, path.c_str()), 3);
  EXPECT_EQ(read(path), f);
  EXPECT_EQ(WRITE_BMP_FILE(nullptr, path.c_str()), 20);
  win::GlobalFree(dib);
  const win::HGLOBAL again = BITMAP_TO_DIB(bitmap, nullptr, nullptr, nullptr);
  EXPECT_EQ(WRITE_BMP_FILE(again, dir.file("no/such/folder.bmp").c_str()), 4);
  win::GlobalFree(again);
}

// A BMP file that cannot be written whole (the file-size limit) leaves
// the file there as it was and no other file, and the failure reaches the
// caller; a link at the name gets the picture in the file it names.
TEST_F(ToolkitTest, AFailedBmpWriteKeepsTheOldFileAndALinkStaysALink) {
  testsupport::TempDir dir;
  const std::uint32_t pixels[4] = {0x0000FF, 0x00FF00, 0xFF0000, 0x000000};
  const win::HBITMAP bitmap = ARRAY_TO_BITMAP_24(pixels, 2, 2, nullptr, nullptr);
  const win::HGLOBAL dib = BITMAP_TO_DIB(bitmap, nullptr, nullptr, nullptr);
  const std::string path = dir.file("two.bmp");
  testsupport::write_file(path, "old");
  const std::string report = testsupport::in_child([&] {
    if (!testsupport::limit_file_size(60)) return std::string("no limit set");
    int ups = 0;
    std::string wrong;
    if (SAVE_BITMAP_FILE(dib, path.c_str(), static_cast<int>(path.size()), &ups) || ups == 0)
      wrong += "the failure was not told\n";
    if (testsupport::read_file(path) != "old") wrong += "the old file changed\n";
    if (std::distance(std::filesystem::directory_iterator(dir.path()), {}) != 1)
      wrong += "files left behind\n";
    return wrong;
  });
  EXPECT_EQ(report, "");
  std::filesystem::create_symlink("real.bmp", dir.file("link.bmp"));
  EXPECT_EQ(WRITE_BMP_FILE(dib, dir.file("link.bmp").c_str()), 0);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.bmp")));
  EXPECT_EQ(read(dir.file("real.bmp")).size(), 70u);
  win::GlobalFree(dib);
}

TEST_F(ToolkitTest, ArraysOfTheThreeFormatsAndArraysTooShortForTheirRows) {
  const std::uint32_t colours[2] = {0x000000FF, 0x00FFFFFF};
  int ups = -1;
  const win::HBITMAP bitmap = ARRAY_TO_BITMAP_24(colours, 2, 1, nullptr, &ups);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(drawtest::bitmap_pixel(bitmap, 0, 0), 0x0000FFu);
  std::uint16_t packed[2] = {};
  BITMAP_TO_ARRAY(bitmap, packed, 2, 1, nullptr, nullptr, &ups);
  EXPECT_EQ(packed[0], 0x001F);
  EXPECT_EQ(packed[1], 0x7FFF);
  const std::uint16_t sixteen[4] = {0x7C00, 0x03E0, 0x001F, 0};
  const win::HBITMAP from16 = ARRAY_TO_BITMAP_16(sixteen, 2, 2, nullptr, &ups);
  EXPECT_EQ(drawtest::bitmap_pixel(from16, 0, 1), 0x0000FFu);  // bottom row first
  EXPECT_EQ(drawtest::bitmap_pixel(from16, 1, 1), 0x00FF00u);
  // 3 x 2 pictures need rows of 4 bytes (8 bytes of 16 bits): the arrays
  // of 3 x 2 elements are too short and nothing is read.
  const std::uint8_t indices[6] = {};
  palette_record palette;
  palette.count = 1;
  EXPECT_EQ(ARRAY_TO_BITMAP(indices, 3, 2, palette, nullptr, &ups), nullptr);
  EXPECT_EQ(ups, 0x10000);
  EXPECT_EQ(ARRAY_TO_BITMAP_16(sixteen, 3, 1, nullptr, &ups), nullptr);
  EXPECT_EQ(ups, 0x10000);
  const std::uint8_t padded[8] = {0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_NE(ARRAY_TO_BITMAP(padded, 4, 2, palette, nullptr, &ups), nullptr);
  std::uint32_t wrong[4];
  BITMAP_TO_ARRAY_I4(bitmap, wrong, 2, 2, nullptr, nullptr, &ups);
  EXPECT_EQ(ups, 0x10000);
}

TEST_F(ToolkitTest, UntrustedBmpFilesAreRefusedWithTheirMessagesAndMutationsNeverCrash) {
  testsupport::TempDir dir;
  const std::string path = dir.file("bad.bmp");
  tktest::make_main();
  diagnosis_mode = 1;
  auto refused = [&](const bytes& f) {
    write(path, f);
    plat::push_message_box_answer(win::IDYES);
    const win::HBITMAP b = load(path, nullptr);
    EXPECT_EQ(b, nullptr);
    return drawtest::last_report();
  };
  const std::string header = "Unable to read a bitmap header for file: " + path + " ... Continue?";
  const std::string image = "Unable to create bitmap from bitmap file: " + path + " ... Continue?";
  const bytes good = bmp_file(8);
  EXPECT_EQ(refused(bytes(good.begin(), good.begin() + 13)), header);
  bytes b = good;
  b[1] = 'X';
  EXPECT_EQ(refused(b), header);
  for (auto [at, value] : std::vector<std::pair<int, std::uint32_t>>{
           {14, 12}, {14, 64}, {28, 2}, {46, 257}, {18, 0}, {22, 0}, {10, 200}, {30, 1}}) {
    SCOPED_TRACE(at);
    b = good;
    if (at == 28)
      b[28] = static_cast<unsigned char>(value);
    else
      put32(b, static_cast<std::size_t>(at), value);
    EXPECT_EQ(refused(b), image);
  }
  b = good;
  b.pop_back();  // the image runs past the end
  EXPECT_EQ(refused(b), image);
  b = bmp_file(24);
  put32(b, 14, 108);  // a longer header is read when the file holds it
  put32(b, 10, 14 + 108);
  b.insert(b.begin() + 54, 68, 0);
  write(path, b);
  int ups = -1;
  EXPECT_NE(load(path, &ups), nullptr);
  // Random bytes of a good file changed: refused or read, never a crash.
  diagnosis_mode = 0;
  std::mt19937 random(21);
  for (int round = 0; round < 400; ++round) {
    b = good;
    const int changes = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < changes; ++i)
      b[random() % std::min<std::size_t>(b.size(), 60)] = static_cast<unsigned char>(random());
    if (random() % 4 == 0) b.resize(random() % b.size());
    write(path, b);
    if (const win::HBITMAP made = load(path, &ups)) DELETE_OBJECT(made, nullptr);
  }
}

TEST_F(ToolkitTest, LoadBitmapCopiesARectangleOfTheScreenAndAWindowsClientArea) {
  std::vector<std::uint32_t> pixels(200 * 100);
  for (int k = 0; k < 200 * 100; ++k) pixels[k] = (k % 200) < 100 ? 0x0000FF : 0x00FF00;
  const win::HBITMAP picture = ARRAY_TO_BITMAP_24(pixels.data(), 200, 100, nullptr, nullptr);
  const int stretched = 4;
  const win::HWND w = drawtest::make_window(nullptr, &stretched, &picture);
  drawtest::pump();
  win::POINT origin{0, 0};
  win::ClientToScreen(w, &origin);
  const win::RECT rect{origin.x + 90, origin.y + 10, origin.x + 110, origin.y + 20};
  int ups = -1;
  const win::HBITMAP part = LOAD_BITMAP(nullptr, 0, nullptr, nullptr, 0, nullptr, nullptr, nullptr,
                                        nullptr, &rect, nullptr, &ups);
  ASSERT_NE(part, nullptr);
  win::BITMAP bm{};
  win::GetObjectA(part, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 20);
  EXPECT_EQ(drawtest::bitmap_pixel(part, 9, 5), 0x0000FFu);
  EXPECT_EQ(drawtest::bitmap_pixel(part, 10, 5), 0x00FF00u);
  const win::HBITMAP client = LOAD_BITMAP(nullptr, 0, nullptr, nullptr, 0, &w, nullptr, nullptr,
                                          nullptr, nullptr, nullptr, &ups);
  ASSERT_NE(client, nullptr);
  win::GetObjectA(client, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 200);
  EXPECT_EQ(drawtest::bitmap_pixel(client, 150, 50), 0x00FF00u);
  // A bitmap is only logged (in the current folder: the test's own); the
  // call fails.
  testsupport::TempDir dir;
  testsupport::CurrentFolder here(dir.path());
  EXPECT_EQ(LOAD_BITMAP(nullptr, 0, nullptr, nullptr, 0, nullptr, nullptr, &picture, nullptr,
                        nullptr, nullptr, &ups),
            nullptr);
  EXPECT_EQ(ups, 0x10000);
}

}  // namespace
