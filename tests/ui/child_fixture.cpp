#include "child_fixture.h"

#include <array>
#include <cstring>

#include "core/kompil.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/windowless.h"
#include "support/run_open.h"
#include "support/test_support.h"
#include "ui/dialogwords.h"
#include "ui/popupmenu.h"

namespace childtest {

namespace {

void put16(std::string& b, std::uint32_t v) {
  b += static_cast<char>(v & 0xFF);
  b += static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& b, std::uint32_t v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}
std::uint32_t get(const std::string& b, std::size_t at, int n) {
  std::uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  return v;
}

}  // namespace

void ChildScript::SetUp() {
  ScriptInFolder::SetUp();
  ui::reset_popupmenu();
}

void ChildScript::TearDown() {
  exec::CLOSEWINDOWLESS();
  ui::reset_popupmenu();
  ScriptInFolder::TearDown();
}

std::string ChildScript::runopen(const std::string& text) { return testsupport::run_open(text); }

double ChildScript::number(const std::string& name) {
  std::int32_t k = 0;
  if (!core::FINDSN(name, k, 0x400)) return -1.0e300;
  return core::z(k);
}

std::string ChildScript::text(const std::string& name) {
  std::int32_t k = 0, first = 0, last = 0;
  if (!core::FINDSN(name, k, 0x400) || core::ISCHAR(k, first, last) == 0 || last < first)
    return "?";
  return std::string(core::c1namen.ptr(first), static_cast<std::size_t>(last - first + 1));
}

exec::wdwrec* ChildScript::windowof(const std::string& name) {
  const win::HWND h = ui::handleof(number(name));
  for (exec::wdwrec* r = exec::wdwhead; r != nullptr && h != nullptr; r = r->next)
    if (r->window == h) return r;
  return nullptr;
}

Picture picture(int width, int height, const std::function<std::uint32_t(int, int)>& colour) {
  Picture p{width, height, {}};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) p.pixels.push_back(colour(x, y) & 0xFFFFFF);
  return p;
}

void writebmp(const std::string& path, const Picture& p) {
  const int row = (3 * p.width + 3) / 4 * 4;
  std::string b = "BM";
  put32(b, static_cast<std::uint32_t>(54 + row * p.height));
  put32(b, 0);
  put32(b, 54);
  put32(b, 40);
  put32(b, static_cast<std::uint32_t>(p.width));
  put32(b, static_cast<std::uint32_t>(p.height));
  put16(b, 1);
  put16(b, 24);
  put32(b, 0);
  put32(b, static_cast<std::uint32_t>(row * p.height));
  put32(b, 2835);
  put32(b, 2835);
  put32(b, 0);
  put32(b, 0);
  for (int y = p.height - 1; y >= 0; --y) {
    std::string line;
    for (int x = 0; x < p.width; ++x) {
      const std::uint32_t c = p.pixels[static_cast<std::size_t>(y * p.width + x)];
      line += static_cast<char>(c & 0xFF);
      line += static_cast<char>((c >> 8) & 0xFF);
      line += static_cast<char>((c >> 16) & 0xFF);
    }
    line.resize(static_cast<std::size_t>(row), '\0');
    b += line;
  }
  testsupport::write_file(path, b);
}

Picture readbmp(const std::string& path) {
  const std::string b = testsupport::read_file(path);
  if (b.size() < 54 || b.compare(0, 2, "BM") != 0) return {};
  const std::uint32_t offset = get(b, 10, 4);
  const auto width = static_cast<int>(get(b, 18, 4));
  auto height = static_cast<std::int32_t>(get(b, 22, 4));
  const int bits = static_cast<int>(get(b, 28, 2));
  if ((bits != 24 && bits != 32) || width < 1 || height == 0) return {};
  const bool topdown = height < 0;
  height = topdown ? -height : height;
  const int bytes = bits / 8;
  const int row = (bytes * width + 3) / 4 * 4;
  if (b.size() < offset + static_cast<std::size_t>(row) * height) return {};
  Picture p{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width * height))};
  for (int y = 0; y < height; ++y) {
    const std::size_t line = offset + static_cast<std::size_t>(topdown ? y : height - 1 - y) * row;
    for (int x = 0; x < width; ++x)
      p.pixels[static_cast<std::size_t>(y * width + x)] =
          get(b, line + static_cast<std::size_t>(x * bytes), 3) & 0xFFFFFF;
  }
  return p;
}

}  // namespace childtest
