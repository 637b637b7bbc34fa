// Printer contexts and print jobs, checked on the PDF files they write
// (pdfinfo, pdftotext, pages rendered by pdftoppm); the settings records in
// global memory; the global memory itself.
#include <cairo.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/win_gdi.h"
#include "platform/win_last_error.h"
#include "platform/win_print.h"
#include "support/test_support.h"

namespace {

using namespace win;
namespace fs = std::filesystem;

std::string run(const std::string& command) { return testsupport::command_output(command); }

// The value of a "Key: value" line of pdfinfo.
std::string info_line(const std::string& info, const std::string& key) {
  const auto at = info.find(key + ":");
  if (at == std::string::npos) return "";
  auto from = info.find_first_not_of(' ', at + key.size() + 1);
  return info.substr(from, info.find('\n', from) - from);
}

DEVMODEA a4(SHORT orientation = DMORIENT_PORTRAIT) {
  DEVMODEA m;
  m.dmSize = sizeof m;
  m.dmFields = DM_PAPERSIZE | DM_ORIENTATION;
  m.dmPaperSize = DMPAPER_A4;
  m.dmOrientation = orientation;
  return m;
}

void text(HDC dc, int x, int y, const char* s, int points = 12) {
  HFONT f = CreateFontA(-MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, 0,
                        0, 0, ANSI_CHARSET, 0, 0, 0, 0, "DejaVu Sans");
  HGDIOBJ old = SelectObject(dc, f);
  TextOutA(dc, x, y, s, static_cast<int>(std::strlen(s)));
  SelectObject(dc, old);
  DeleteObject(f);
}

class PrintTest : public ::testing::Test {
 protected:
  void TearDown() override {
    plat::remove_virtual_printers();
    plat::reset_gdi();
  }
  // Only the given file is left in the folder (no partial documents).
  std::vector<std::string> files() const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir.path())) out.push_back(e.path().filename());
    std::sort(out.begin(), out.end());
    return out;
  }
  testsupport::TempDir dir;
};

TEST_F(PrintTest, ATwoPageDocumentBecomesAPdfWithItsTextAndPageSizes) {
  const DEVMODEA portrait = a4(), landscape = a4(DMORIENT_LANDSCAPE);
  HDC dc = CreateDCA(nullptr, "pdf", nullptr, &portrait);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 600);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 600);
  EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), 4961);  // 210 mm at 600 dpi
  EXPECT_EQ(GetDeviceCaps(dc, PHYSICALHEIGHT), 7016);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 4961);
  EXPECT_EQ(GetDeviceCaps(dc, PHYSICALOFFSETX), 0);
  EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), DT_RASPRINTER);

  const std::string out = dir.file("report.pdf");
  DOCINFOA di;
  di.lpszDocName = "Quarterly r\xE9sum\xE9";
  di.lpszOutput = out.c_str();
  ASSERT_GT(StartDocA(dc, &di), 0);
  ASSERT_GT(StartPage(dc), 0);
  text(dc, 600, 600, "First page: caf\xE9 \x80 5");
  Rectangle(dc, 600, 1200, 2400, 2400);
  ASSERT_GT(EndPage(dc), 0);
  ASSERT_EQ(ResetDCA(dc, &landscape), dc);
  EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), 7016);
  ASSERT_GT(StartPage(dc), 0);
  EXPECT_EQ(ResetDCA(dc, &portrait), nullptr);  // not inside a page
  text(dc, 600, 600, "Second page, landscape");
  ASSERT_GT(EndPage(dc), 0);
  ASSERT_GT(EndDoc(dc), 0);
  EXPECT_EQ(EndDoc(dc), SP_ERROR);  // no document any more
  DeleteDC(dc);

  EXPECT_EQ(files(), std::vector<std::string>{"report.pdf"});
  const std::string info = run("pdfinfo -f 1 -l 2 '" + out + "'");
  EXPECT_EQ(info_line(info, "Pages"), "2");
  EXPECT_EQ(info_line(info, "Title"), "Quarterly r\xC3\xA9sum\xC3\xA9");
  EXPECT_NE(info_line(info, "Page    1 size").find("595.32 x 841.92 pts (A4)"), std::string::npos)
      << info;
  EXPECT_NE(info_line(info, "Page    2 size").find("841.92 x 595.32 pts (A4)"), std::string::npos)
      << info;
  const std::string page1 = run("pdftotext -f 1 -l 1 '" + out + "' -");
  const std::string page2 = run("pdftotext -f 2 -l 2 '" + out + "' -");
  EXPECT_NE(page1.find("First page: caf\xC3\xA9 \xE2\x82\xAC 5"), std::string::npos) << page1;
  EXPECT_NE(page2.find("Second page, landscape"), std::string::npos) << page2;
}

TEST_F(PrintTest, LogicalOriginIsTheCornerOfThePrintableArea) {
  plat::add_virtual_printer({"Office laser with a name longer than thirty-one", 21590, 27940, 300,
                             50, 60, 40, 70, false});
  // The name as a device mode holds it, cut to 31 characters.
  HDC dc = CreateDCA(nullptr, "Office laser with a name longer", nullptr, nullptr);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), 2550);  // 8.5 in at 300 dpi
  EXPECT_EQ(GetDeviceCaps(dc, PHYSICALHEIGHT), 3300);
  EXPECT_EQ(GetDeviceCaps(dc, PHYSICALOFFSETX), 50);
  EXPECT_EQ(GetDeviceCaps(dc, PHYSICALOFFSETY), 60);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 2550 - 50 - 40);
  EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 3300 - 60 - 70);

  const std::string out = dir.file("corner.pdf");
  DOCINFOA di;
  di.lpszDocName = "corner";
  di.lpszOutput = out.c_str();
  ASSERT_GT(StartDocA(dc, &di), 0);
  StartPage(dc);
  RECT r{0, 0, 100, 100};
  FillRect(dc, &r, reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EndPage(dc);
  ASSERT_GT(EndDoc(dc), 0);
  DeleteDC(dc);

  const std::string png = dir.file("page");
  run("pdftoppm -r 300 -png -singlefile '" + out + "' '" + png + "'");
  cairo_surface_t* s = cairo_image_surface_create_from_png((png + ".png").c_str());
  ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
  auto dark = [&](int x, int y) {
    const auto* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
    return (reinterpret_cast<const std::uint32_t*>(row)[x] & 0xFF) < 128;
  };
  EXPECT_TRUE(dark(52, 62));
  EXPECT_TRUE(dark(148, 158));
  EXPECT_FALSE(dark(47, 62));
  EXPECT_FALSE(dark(52, 57));
  EXPECT_FALSE(dark(152, 162));
  cairo_surface_destroy(s);
}

TEST_F(PrintTest, AnAbortedOrFailedDocumentLeavesNothingAndReplacesNothing) {
  const std::string out = dir.file("kept.pdf");
  testsupport::write_file(out, "earlier file");
  HDC dc = CreateDCA(nullptr, "PDF", nullptr, nullptr);
  DOCINFOA di;
  di.lpszOutput = out.c_str();

  ASSERT_GT(StartDocA(dc, &di), 0);
  StartPage(dc);
  text(dc, 100, 100, "never printed");
  EXPECT_EQ(StartDocA(dc, &di), SP_ERROR);  // one document at a time
  EXPECT_GT(AbortDoc(dc), 0);

  // The abort procedure cancels at the end of the first page.
  static int asked = 0;
  asked = 0;
  SetAbortProc(dc, [](HDC, int) -> BOOL { return ++asked < 1; });
  ASSERT_GT(StartDocA(dc, &di), 0);
  StartPage(dc);
  EXPECT_EQ(EndPage(dc), SP_APPABORT);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(EndDoc(dc), SP_ERROR);
  SetAbortProc(dc, nullptr);

  // The context goes in the middle of a document.
  ASSERT_GT(StartDocA(dc, &di), 0);
  StartPage(dc);
  DeleteDC(dc);
  EXPECT_EQ(testsupport::read_file(out), "earlier file");
  EXPECT_EQ(files(), std::vector<std::string>{"kept.pdf"});

  // A folder that is not there: the document cannot start, the context
  // stays usable.
  dc = CreateDCA(nullptr, "PDF", nullptr, nullptr);
  const std::string bad = dir.file("missing/out.pdf");
  di.lpszOutput = bad.c_str();
  SetLastError(0);
  EXPECT_EQ(StartDocA(dc, &di), SP_ERROR);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(StartPage(dc), SP_ERROR);
  DeleteDC(dc);

  EXPECT_EQ(CreateDCA(nullptr, "No such printer", nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_NAME);
}

TEST_F(PrintTest, WithoutAnOutputPdfWritesTheDocumentNameInTheCurrentFolder) {
  const fs::path was = fs::current_path();
  fs::current_path(dir.path());
  HDC dc = CreateDCA(nullptr, "PDF", nullptr, nullptr);
  DOCINFOA di;
  di.lpszDocName = "Plot 3/4";
  const bool started = StartDocA(dc, &di) > 0;
  StartPage(dc);
  EndPage(dc);
  EndDoc(dc);
  DeleteDC(dc);
  fs::current_path(was);
  ASSERT_TRUE(started);
  EXPECT_EQ(files(), std::vector<std::string>{"Plot 3_4.pdf"});
}

// Two jobs of one name leave two files; a blank name is the program's.
TEST_F(PrintTest, ADocumentNeverReplacesTheFileOfAnEarlierOne) {
  const fs::path was = fs::current_path();
  fs::current_path(dir.path());
  const auto print = [](const char* name) {
    HDC dc = CreateDCA(nullptr, "PDF", nullptr, nullptr);
    DOCINFOA di;
    di.lpszDocName = name;
    const bool ok = StartDocA(dc, &di) > 0 && StartPage(dc) > 0 && EndDoc(dc) > 0;
    DeleteDC(dc);
    return ok;
  };
  const bool printed = print("same") && print("same") && print("same") && print("  ");
  fs::current_path(was);
  ASSERT_TRUE(printed);
  EXPECT_EQ(files(),
            (std::vector<std::string>{"Ostrel.pdf", "same-2.pdf", "same-3.pdf", "same.pdf"}));
}

// A document printed to a file is saved as every other file: through a
// link to the file the link points to, keeping the file's permission bits,
// and a new file with the usual ones (it was made 0600 and a link was
// replaced by a file).
TEST_F(PrintTest, APrintedFileKeepsItsLinkAndItsModeAsSavesDo) {
  const auto print = [](const std::string& target) {
    HDC dc = CreateDCA(nullptr, "PDF", nullptr, nullptr);
    DOCINFOA di;
    di.lpszDocName = "doc";
    di.lpszOutput = target.c_str();
    const bool ok =
        StartDocA(dc, &di) > 0 && StartPage(dc) > 0 && EndPage(dc) > 0 && EndDoc(dc) > 0;
    DeleteDC(dc);
    return ok;
  };
  const auto mode = [](const std::string& f) {
    struct stat st {};
    return ::stat(f.c_str(), &st) == 0 ? st.st_mode & 07777 : 0u;
  };
  const std::string real = dir.file("real.pdf"), link = dir.file("link.pdf");
  testsupport::write_file(real, "old");
  ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
  ASSERT_EQ(::symlink("real.pdf", link.c_str()), 0);
  ASSERT_TRUE(print(link));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(testsupport::read_file(real).substr(0, 5), "%PDF-");
  EXPECT_EQ(mode(real), 0640u);

  const mode_t mask = ::umask(022);
  const std::string fresh = dir.file("fresh.pdf");
  const bool printed = print(fresh);
  ::umask(mask);
  ASSERT_TRUE(printed);
  EXPECT_EQ(mode(fresh), 0644u);
  EXPECT_EQ(files(), (std::vector<std::string>{"fresh.pdf", "link.pdf", "real.pdf"}));
}

TEST_F(PrintTest, PrinterSettingsComeInGlobalMemory) {
  plat::add_virtual_printer({"Test printer", 21590, 27940, 300, 0, 0, 0, 0, true});
  EXPECT_EQ(plat::default_printer(), "Test printer");
  const auto names = plat::printer_names();
  EXPECT_NE(std::find(names.begin(), names.end(), "PDF"), names.end());

  HGLOBAL dm = plat::printer_devmode("test PRINTER");
  ASSERT_NE(dm, nullptr);
  ASSERT_GE(GlobalSize(dm), sizeof(DEVMODEA));
  const auto* m = static_cast<const DEVMODEA*>(GlobalLock(dm));
  EXPECT_STREQ(reinterpret_cast<const char*>(m->dmDeviceName), "Test printer");
  EXPECT_EQ(m->dmSize, sizeof(DEVMODEA));
  EXPECT_EQ(m->dmOrientation, DMORIENT_PORTRAIT);
  EXPECT_EQ(m->dmPaperSize, DMPAPER_LETTER);
  EXPECT_EQ(m->dmPaperWidth, 2159);
  EXPECT_EQ(m->dmPrintQuality, 300);
  // A landscape copy of it makes a landscape context.
  DEVMODEA land = *m;
  land.dmOrientation = DMORIENT_LANDSCAPE;
  GlobalUnlock(dm);
  HDC dc = CreateDCA(nullptr, reinterpret_cast<const char*>(land.dmDeviceName), nullptr, &land);
  EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), 3300);
  DeleteDC(dc);
  EXPECT_EQ(GlobalFree(dm), nullptr);

  HGLOBAL dn = plat::printer_devnames("Test printer");
  ASSERT_NE(dn, nullptr);
  const auto* bytes = static_cast<const char*>(GlobalLock(dn));
  DEVNAMES n;
  std::memcpy(&n, bytes, sizeof n);
  EXPECT_STREQ(bytes + n.wDeviceOffset, "Test printer");
  EXPECT_STREQ(bytes + n.wDriverOffset, "PDF");
  EXPECT_STREQ(bytes + n.wOutputOffset, "");
  EXPECT_EQ(n.wDefault, DN_DEFAULTPRN);
  GlobalUnlock(dn);
  GlobalFree(dn);
  EXPECT_EQ(plat::printer_devmode("nobody"), nullptr);
}

TEST_F(PrintTest, CupsPrintersDescribeTheirMedia) {
  std::string cups;
  for (const std::string& n : plat::printer_names())
    if (n != "PDF") cups = n;
  if (cups.empty()) GTEST_SKIP() << "no CUPS scheduler answers with a printer";
  HDC dc = CreateDCA(nullptr, cups.c_str(), nullptr, nullptr);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 600);
  EXPECT_GT(GetDeviceCaps(dc, PHYSICALWIDTH), GetDeviceCaps(dc, HORZRES) - 1);
  // To a file instead of the printer.
  const std::string out = dir.file("cups.pdf");
  DOCINFOA di;
  di.lpszOutput = out.c_str();
  ASSERT_GT(StartDocA(dc, &di), 0);
  StartPage(dc);
  EndPage(dc);
  EXPECT_GT(EndDoc(dc), 0);
  DeleteDC(dc);
  EXPECT_EQ(info_line(run("pdfinfo '" + out + "'"), "Pages"), "1");
}

TEST(GlobalMemoryTest, BlocksKeepTheirContentsLocksAndHandles) {
  HGLOBAL h = GlobalAlloc(GHND, 4);
  ASSERT_NE(h, nullptr);
  auto* p = static_cast<unsigned char*>(GlobalLock(h));
  EXPECT_EQ(p[3], 0);
  std::memcpy(p, "abcd", 4);
  EXPECT_EQ(GlobalLock(h), p);
  EXPECT_NE(GlobalUnlock(h), 0);  // still locked once
  EXPECT_EQ(GlobalUnlock(h), 0);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  EXPECT_EQ(GlobalUnlock(h), 0);
  EXPECT_EQ(GetLastError(), ERROR_NOT_LOCKED);

  ASSERT_EQ(GlobalReAlloc(h, 4096, GMEM_MOVEABLE), h);
  EXPECT_EQ(GlobalSize(h), 4096u);
  p = static_cast<unsigned char*>(GlobalLock(h));
  EXPECT_EQ(std::memcmp(p, "abcd", 4), 0);
  EXPECT_EQ(p[4], 0);
  EXPECT_EQ(p[4095], 0);
  GlobalUnlock(h);
  ASSERT_EQ(GlobalReAlloc(h, 2, GMEM_MOVEABLE), h);
  EXPECT_EQ(GlobalSize(h), 2u);

  EXPECT_EQ(GlobalFree(h), nullptr);
  EXPECT_EQ(GlobalFree(h), h);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(GlobalLock(h), nullptr);
  EXPECT_EQ(GlobalSize(h), 0u);
  EXPECT_EQ(GlobalFree(nullptr), nullptr);
  HGLOBAL empty = GlobalAlloc(GMEM_FIXED, 0);
  EXPECT_NE(GlobalLock(empty), nullptr);
  GlobalFree(empty);
}

}  // namespace
