// The common dialogs without a display: queued answers go through the
// dialogs' own checks and fill the records; with nothing queued a dialog
// is cancelled. Set OSTREL_SCREENSHOTS to a folder to get a picture of
// each dialog.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/backend.h"
#include "platform/win_commdlg.h"
#include "platform/win_file_patterns.h"
#include "platform/win_last_error.h"
#include "platform/win_message_keys.h"
#include "platform/win_print.h"
#include "support/test_support.h"
#include "win_dialog_testing.h"

using namespace win;
using namespace dlgtest;

namespace {

class CommonDialogs : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    testing::internal::CaptureStderr();
    for (const char* n : {"b.TXT", "a.txt", "c.ost"}) testsupport::write_file(dir.file(n), "x");
    std::filesystem::create_directory(dir.path() / "sub");
    folder = dir.path().string();
    // A printer of known paper and edges: US letter, 600 dpi, edges of
    // 60 pixels (a tenth of an inch) left and right.
    plat::add_virtual_printer({"Test", 21590, 27940, 600, 60, 0, 60, 0, true});
  }
  void TearDown() override {
    plat::remove_virtual_printers();
    testing::internal::GetCapturedStderr();
    DialogTest::TearDown();
  }
  static void answer(std::vector<std::pair<std::string, std::string>> fields, bool ok = true) {
    plat::push_dialog_answer({ok, std::move(fields)});
  }
  // The record of an open or save dialog over the test folder.
  OPENFILENAMEA file_record(DWORD flags) {
    OPENFILENAMEA o;
    o.lpstrFilter = "Text Files\0*.txt\0All Files\0*.*\0";
    o.nFilterIndex = 1;
    o.lpstrFile = file;
    o.nMaxFile = sizeof file;
    o.lpstrInitialDir = folder.c_str();
    o.Flags = flags | OFN_NOCHANGEDIR;
    return o;
  }
  static std::string last_outcome() {
    const auto& log = plat::common_dialog_log();
    return log.empty() ? "" : log.back().title + ": " + log.back().outcome;
  }
  static std::string device_of(HGLOBAL devnames, WORD DEVNAMES::*which) {
    const auto* p = static_cast<const char*>(GlobalLock(devnames));
    DEVNAMES dn;
    std::memcpy(&dn, p, sizeof dn);
    std::string s = p + dn.*which;
    GlobalUnlock(devnames);
    return s;
  }

  testsupport::TempDir dir;
  std::string folder;
  char file[260] = "";
};

TEST_F(CommonDialogs, FilePatternsMatchWithoutCaseAndPathsBecomePlain) {
  EXPECT_TRUE(plat::matches_patterns("b.TXT", "*.txt"));
  EXPECT_TRUE(plat::matches_patterns("\xC4rger.txt", "\xE4*.TXT"));  // Windows-1252 folding
  EXPECT_TRUE(plat::matches_patterns("README", "*.*"));
  EXPECT_TRUE(plat::matches_patterns("x.ost", "*.txt; *.OST"));
  EXPECT_FALSE(plat::matches_patterns("a.txt.bak", "*.txt"));
  EXPECT_TRUE(plat::matches_patterns("ab.c", "a?.*"));
  EXPECT_FALSE(plat::matches_patterns("abc.c", "a?.*"));
  EXPECT_EQ(plat::normal_path("/a/./b//../c/"), "/a/c");
  EXPECT_EQ(plat::normal_path("/.."), "/");
}

TEST_F(CommonDialogs, OpenTakesATypedNameWithTheDefaultExtensionAfterTheCreatePrompt) {
  OPENFILENAMEA o = file_record(OFN_CREATEPROMPT | OFN_SHAREAWARE | OFN_LONGNAMES);
  o.lpstrDefExt = "TXT";
  char title[7];
  o.lpstrFileTitle = title;
  o.nMaxFileTitle = sizeof title;
  // "new.TXT" does not exist: the prompt's No keeps the dialog open, and
  // nothing else comes.
  answer({{"File name", "new"}});
  EXPECT_FALSE(GetOpenFileNameA(&o));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  ASSERT_EQ(plat::message_box_log().size(), 1u);
  EXPECT_EQ(plat::message_box_log()[0].text,
            folder + "/new.TXT\nThis file does not exist.\nDo you want to create it?");
  answer({{"File name", "new"}});
  plat::push_message_box_answer(IDYES);
  ASSERT_TRUE(GetOpenFileNameA(&o));
  const std::string path = folder + "/new.TXT";
  EXPECT_EQ(std::string(file), path);
  EXPECT_EQ(o.nFileOffset, folder.size() + 1);
  EXPECT_EQ(o.nFileExtension, path.size() - 3);
  EXPECT_STREQ(title, "new.TX");  // cut to its buffer
  EXPECT_EQ(o.Flags & OFN_EXTENSIONDIFFERENT, 0u);
  EXPECT_EQ(last_outcome(), "Open: " + path);
  // A path into a folder; a name ending in a dot gets no extension.
  answer({{"File name", "sub/../sub/x."}});
  plat::push_message_box_answer(IDYES);
  ASSERT_TRUE(GetOpenFileNameA(&o));
  EXPECT_EQ(std::string(file), folder + "/sub/x.");
  EXPECT_EQ(o.nFileExtension, 0);
}

TEST_F(CommonDialogs, SaveAsksBeforeReplacingAndFailsOnATooSmallBuffer) {
  OPENFILENAMEA o = file_record(OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST);
  answer({{"File name", "a.txt"}});
  plat::push_message_box_answer(IDNO);
  EXPECT_FALSE(GetSaveFileNameA(&o));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_EQ(plat::message_box_log().back().text,
            folder + "/a.txt already exists.\nDo you want to replace it?");
  answer({{"File name", "nowhere/a.txt"}});
  EXPECT_FALSE(GetSaveFileNameA(&o));
  EXPECT_NE(plat::message_box_log().back().text.find("Path does not exist."), std::string::npos);
  // The path and its NUL need one more character than the buffer has.
  const std::string path = folder + "/fresh.txt";
  o.nMaxFile = static_cast<DWORD>(path.size());
  answer({{"File name", "fresh.txt"}});
  EXPECT_FALSE(GetSaveFileNameA(&o));
  EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
  WORD need;
  std::memcpy(&need, file, sizeof need);
  EXPECT_EQ(need, path.size() + 1);
  o.nMaxFile = static_cast<DWORD>(path.size() + 1);
  answer({{"File name", "fresh.txt"}});
  EXPECT_TRUE(GetSaveFileNameA(&o));
  EXPECT_EQ(std::string(file), path);
  // Nothing queued: cancelled, no window, logged.
  EXPECT_FALSE(GetSaveFileNameA(&o));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_EQ(last_outcome(), "Save As: Cancel (no answer queued)");
}

TEST_F(CommonDialogs, TheFilterInForceComesBackWithItsIndexAndInTheCustomFilter) {
  char custom[40] = "\0*.ost\0";
  OPENFILENAMEA o = file_record(0);
  o.lpstrCustomFilter = custom;
  o.nMaxCustFilter = sizeof custom;
  o.nFilterIndex = 0;  // the custom filter
  answer({{"Files of type", "Text Files"}, {"File name", "a.txt"}});
  ASSERT_TRUE(GetOpenFileNameA(&o));
  EXPECT_EQ(o.nFilterIndex, 1u);
  EXPECT_STREQ(custom + 1, "*.txt");
  // The chosen folder becomes the current one without OFN_NOCHANGEDIR.
  const std::filesystem::path before = std::filesystem::current_path();
  o.Flags &= ~OFN_NOCHANGEDIR;
  answer({{"File name", "sub/y.txt"}});
  EXPECT_TRUE(GetOpenFileNameA(&o));
  EXPECT_EQ(std::filesystem::current_path(), dir.path() / "sub");
  std::filesystem::current_path(before);
  // Sizes: ours and the 32-bit forms go, others fail.
  o.lStructSize = 76;
  answer({{"File name", "a.txt"}});
  o.Flags |= OFN_NOCHANGEDIR;
  EXPECT_TRUE(GetOpenFileNameA(&o));
  o.lStructSize = 80;
  EXPECT_FALSE(GetOpenFileNameA(&o));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_STRUCTSIZE);
}

TEST_F(CommonDialogs, PrintGivesTheDefaultsOrTheChosenPrinterRangeCopiesAndFile) {
  PRINTDLGA pd;
  pd.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
  ASSERT_TRUE(PrintDlgA(&pd));
  EXPECT_EQ(device_of(pd.hDevNames, &DEVNAMES::wDeviceOffset), "Test");
  EXPECT_EQ(GetDeviceCaps(pd.hDC, LOGPIXELSX), 600);
  DeleteDC(pd.hDC);
  EXPECT_FALSE(PrintDlgA(&pd));  // return defaults with blocks given
  EXPECT_EQ(CommDlgExtendedError(), PDERR_RETDEFFAILURE);

  HGLOBAL mode = pd.hDevMode;
  pd.Flags = PD_RETURNDC | PD_NOSELECTION;
  pd.nMinPage = 1;
  pd.nMaxPage = 9;
  answer({{"Name", "PDF"}, {"Pages", "1"}, {"from", "2"}, {"to", "10"}});
  EXPECT_FALSE(PrintDlgA(&pd));  // past the last page: the dialog stays
  EXPECT_NE(plat::message_box_log().back().text.find("from 1 to 9"), std::string::npos);
  answer({{"Name", "PDF"},
          {"Pages", "1"},
          {"from", "2"},
          {"to", "5"},
          {"Number of copies", "3"},
          {"Collate", "1"},
          {"Selection", "1"}});
  ASSERT_TRUE(PrintDlgA(&pd));
  EXPECT_EQ(pd.Flags & (PD_PAGENUMS | PD_SELECTION | PD_COLLATE | PD_PRINTTOFILE),
            PD_PAGENUMS | PD_COLLATE);  // the selection is not offered
  EXPECT_EQ(pd.nFromPage, 2);
  EXPECT_EQ(pd.nToPage, 5);
  EXPECT_EQ(pd.nCopies, 3);
  EXPECT_EQ(pd.hDevMode, mode);  // written in place
  const auto* m = static_cast<const DEVMODEA*>(GlobalLock(pd.hDevMode));
  EXPECT_STREQ(reinterpret_cast<const char*>(m->dmDeviceName), "PDF");
  EXPECT_EQ(m->dmCopies, 3);
  GlobalUnlock(pd.hDevMode);
  EXPECT_EQ(device_of(pd.hDevNames, &DEVNAMES::wDeviceOffset), "PDF");
  EXPECT_EQ(last_outcome(), "Print: PDF, 3 copies, pages 2-5");
  DeleteDC(pd.hDC);

  // To a file: the save dialog asks for it, the device names carry it.
  answer({{"Print to file", "1"}});
  answer({{"File name", folder + "/out"}});
  ASSERT_TRUE(PrintDlgA(&pd));
  EXPECT_TRUE(pd.Flags & PD_PRINTTOFILE);
  EXPECT_EQ(device_of(pd.hDevNames, &DEVNAMES::wOutputOffset), folder + "/out.pdf");
  DeleteDC(pd.hDC);
  GlobalFree(pd.hDevMode);
  GlobalFree(pd.hDevNames);
}

TEST_F(CommonDialogs, PageSetupInEitherUnitChecksMarginsAgainstPaperAndEdges) {
  PAGESETUPDLGA ps;
  ps.Flags = PSD_RETURNDEFAULT | PSD_INHUNDREDTHSOFMILLIMETERS;
  ASSERT_TRUE(PageSetupDlgA(&ps));
  EXPECT_EQ(ps.ptPaperSize.x, 21590);
  EXPECT_EQ(ps.ptPaperSize.y, 27940);
  EXPECT_EQ(ps.rtMinMargin.left, 254);  // 60 pixels at 600 dpi
  EXPECT_EQ(ps.rtMinMargin.top, 0);
  EXPECT_EQ(ps.rtMargin.left, plat::kDefaultMargin);

  // Thousandths of an inch; the edges are 100.
  ps.Flags = PSD_MARGINS | PSD_INTHOUSANDTHSOFINCHES;
  ps.rtMargin = {1000, 1000, 1000, 1000};
  answer({{"Left", "0.05"}});
  EXPECT_FALSE(PageSetupDlgA(&ps));
  EXPECT_NE(plat::message_box_log().back().text.find("left 0.1, right 0.1, top 0, bottom 0 inches"),
            std::string::npos);
  answer({{"Left", "4.25"}, {"Right", "4.25"}});
  EXPECT_FALSE(PageSetupDlgA(&ps));
  EXPECT_NE(plat::message_box_log().back().text.find("overlap"), std::string::npos);
  answer({{"Left", "1,5"}, {"Top", "0.125"}, {"Landscape", "1"}, {"Size", "A4"}});
  ASSERT_TRUE(PageSetupDlgA(&ps));
  EXPECT_EQ(ps.rtMargin.left, 1500);
  EXPECT_EQ(ps.rtMargin.top, 125);
  EXPECT_EQ(ps.ptPaperSize.x, 11693);  // A4 across, in thousandths of an inch
  EXPECT_EQ(ps.ptPaperSize.y, 8268);
  const auto* m = static_cast<const DEVMODEA*>(GlobalLock(ps.hDevMode));
  EXPECT_EQ(m->dmOrientation, DMORIENT_LANDSCAPE);
  EXPECT_EQ(m->dmPaperSize, DMPAPER_A4);
  GlobalUnlock(ps.hDevMode);
  // Neither unit given: millimetres, said on return; a disabled field takes
  // no answer.
  ps.Flags = PSD_DISABLEMARGINS;
  answer({{"Left", "30"}});
  ASSERT_TRUE(PageSetupDlgA(&ps));
  EXPECT_EQ(ps.Flags & (PSD_INHUNDREDTHSOFMILLIMETERS | PSD_INTHOUSANDTHSOFINCHES),
            PSD_INHUNDREDTHSOFMILLIMETERS);
  EXPECT_EQ(ps.rtMargin.left, plat::kDefaultMargin);
  EXPECT_EQ(ps.ptPaperSize.x, 29700);
  GlobalFree(ps.hDevMode);
  GlobalFree(ps.hDevNames);
}

UINT_PTR title_hook(HWND dlg, UINT msg, WPARAM, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    SetWindowTextA(dlg, "Choose graphics font");
    reinterpret_cast<CHOOSEFONTA*>(lp)->lCustData = 1;
  }
  return 0;
}

TEST_F(CommonDialogs, FontGivesFaceStyleSizeAndEffectsAndKeepsToTheFlags) {
  LOGFONTA lf;
  CHOOSEFONTA cf;
  cf.lpLogFont = &lf;
  cf.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_ENABLEHOOK | CF_FORCEFONTEXIST;
  cf.lpfnHook = title_hook;
  answer({{"Font", "dejavu sans"},
          {"Font style", "Bold Italic"},
          {"Size", "10.5"},
          {"Underline", "1"},
          {"Colour", "Blue"}});
  ASSERT_TRUE(ChooseFontA(&cf));
  EXPECT_STREQ(lf.lfFaceName, "DejaVu Sans");
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_EQ(lf.lfItalic, 1);
  EXPECT_EQ(lf.lfUnderline, 1);
  EXPECT_EQ(lf.lfStrikeOut, 0);
  EXPECT_EQ(lf.lfHeight, -14);  // 10.5 points at 96 dpi
  EXPECT_EQ(cf.iPointSize, 105);
  EXPECT_EQ(cf.rgbColors, 0xFF0000u);
  EXPECT_EQ(cf.nFontType, BOLD_FONTTYPE | ITALIC_FONTTYPE | SCREEN_FONTTYPE);
  EXPECT_EQ(cf.lCustData, 1);  // the hook saw the record
  EXPECT_EQ(plat::common_dialog_log().back().title, "Choose graphics font");

  // Starting from the font: its size and style stay unless changed.
  cf.Flags = CF_INITTOLOGFONTSTRUCT | CF_FIXEDPITCHONLY | CF_FORCEFONTEXIST | CF_LIMITSIZE;
  cf.iPointSize = 0;
  cf.nSizeMin = 6;
  cf.nSizeMax = 72;
  answer({{"Font", "DejaVu Sans Mono"}, {"Size", "80"}});
  EXPECT_FALSE(ChooseFontA(&cf));
  EXPECT_NE(plat::message_box_log().back().text.find("from 6 to 72"), std::string::npos);
  answer({{"Font", "DejaVu Sans Mono"}});
  ASSERT_TRUE(ChooseFontA(&cf));
  EXPECT_STREQ(lf.lfFaceName, "DejaVu Sans Mono");
  EXPECT_EQ(cf.iPointSize, 110);  // -14 pixels at 96 dpi, whole points
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  answer({{"Font", "DejaVu Sans"}});  // not of fixed pitch
  EXPECT_FALSE(ChooseFontA(&cf));
  EXPECT_NE(plat::message_box_log().back().text.find("no font of that name"), std::string::npos);
  cf.Flags &= ~CF_FORCEFONTEXIST;
  answer({{"Font", "Nothing Like It"}});
  ASSERT_TRUE(ChooseFontA(&cf));
  EXPECT_STREQ(lf.lfFaceName, "Nothing Like It");

  cf.nSizeMin = 20;
  cf.nSizeMax = 10;
  EXPECT_FALSE(ChooseFontA(&cf));
  EXPECT_EQ(CommDlgExtendedError(), CFERR_MAXLESSTHANMIN);
  cf.Flags = CF_ENABLEHOOK;
  cf.lpfnHook = nullptr;
  EXPECT_FALSE(ChooseFontA(&cf));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_NOHOOK);
}

// Digits typed on their own keys.
void digits(const std::string& s) {
  for (char c : s) key(static_cast<unsigned char>(c), static_cast<unsigned char>(c));
}

// Runs each step from inside the dialog's loop, one after the other (what
// a step types is taken in before the next).
void steps(std::vector<std::function<void()>> fs, std::size_t from = 0) {
  if (from >= fs.size()) return;
  later([fs, from] {
    fs[from]();
    steps(fs, from + 1);
  });
}

// Each dialog as a window: what it shows, and keys that a user types.
TEST_F(CommonDialogs, AsWindowsTheDialogsAnswerTheKeyboard) {
  plat::set_common_dialogs_as_windows(true);
  const char* shots = std::getenv("OSTREL_SCREENSHOTS");
  auto shoot = [shots](const char* name) {
    return [shots, name] {
      if (shots != nullptr)
        plat::write_window_png(GetActiveWindow(), std::string(shots) + "/" + name + ".png", true);
    };
  };
  auto enter = [] { key(VK_RETURN); };
  OPENFILENAMEA o = file_record(0);
  steps({shoot("open"), [] { type("c.ost"); }, enter});
  ASSERT_TRUE(GetOpenFileNameA(&o));
  EXPECT_EQ(std::string(file), folder + "/c.ost");

  PRINTDLGA pd;
  pd.Flags = PD_NOSELECTION;
  steps({shoot("print"), [] { with(VK_MENU, 'C'); }, [] { digits("2"); }, enter});
  ASSERT_TRUE(PrintDlgA(&pd));
  EXPECT_EQ(pd.nCopies, 2);

  PAGESETUPDLGA ps;
  ps.Flags = PSD_INHUNDREDTHSOFMILLIMETERS;
  steps({shoot("pagesetup"), [] { with(VK_MENU, 'L'); }, [] { digits("30"); }, enter});
  ASSERT_TRUE(PageSetupDlgA(&ps));
  EXPECT_EQ(ps.rtMargin.left, 3000);

  LOGFONTA lf;
  CHOOSEFONTA cf;
  cf.lpLogFont = &lf;
  cf.Flags = CF_SCREENFONTS | CF_EFFECTS;
  steps({shoot("font"), [] { with(VK_MENU, 'S'); }, [] { digits("14"); }, enter});
  ASSERT_TRUE(ChooseFontA(&cf));
  EXPECT_EQ(cf.iPointSize, 140);
  for (HGLOBAL h : {pd.hDevMode, pd.hDevNames, ps.hDevMode, ps.hDevNames}) GlobalFree(h);
}

}  // namespace
