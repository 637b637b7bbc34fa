// Text with figures written into a script's window on the test program's
// Xvfb and printed at the same time: the window shows them on the server
// and the "PDF" printer's document carries every line and the stamp.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "core/kompil.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/builtins.h"
#include "exec/windowless.h"
#include "exec/windowwords.h"
#include "platform/backend.h"
#include "platform/x11_testing.h"
#include "plot/backbrush.h"
#include "plot/plotdev.h"
#include "plot/printjob.h"
#include "support/run_open.h"
#include "support/script_folder.h"
#include "toolkit/printing.h"
#include "ui/dialogwords.h"

namespace {

std::string command(const std::string& line) {
  std::string out;
  if (std::FILE* p = ::popen((line + " 2>/dev/null").c_str(), "r")) {
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
    ::pclose(p);
  }
  return out;
}

class PrintOnX11 : public x11test::X11Test {
 protected:
  void SetUp() override {
    X11Test::SetUp();
    cwd_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
    if (const char* was = std::getenv("CUPS_SERVER")) keptserver = was;
    // No scheduler: "PDF" is the default printer.
    ::setenv("CUPS_SERVER", (dir_.path() / "no-scheduler").c_str(), 1);
    ide::install_all_builtins();
    exec::reset_all();  // the back end too: the display is taken again
    ASSERT_EQ(plat::use_display(display_name.c_str()), "");
    ASSERT_TRUE(exec::prepare_run((testsupport::source_dir() / "data" / "Ostrel.hlp").string()));
    plot::reset_plotdev();
    plot::reset_brushes();
    toolkit::reset_printing();
    plot::reset_printjob();
  }
  void TearDown() override {
    plot::reset_printjob();
    toolkit::reset_printing();
    plot::reset_plotdev();
    plot::reset_brushes();
    exec::CLOSEWINDOWLESS();
    exec::reset_all();
    if (keptserver)
      ::setenv("CUPS_SERVER", keptserver->c_str(), 1);
    else
      ::unsetenv("CUPS_SERVER");
    std::filesystem::current_path(cwd_);
    X11Test::TearDown();
  }
  static std::string runopen(const std::string& text) { return testsupport::run_open(text); }
  std::uint32_t onserver(win::HWND w, int x, int y) {
    XImage* image = XGetImage(dpy, xid(w), x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return 0xFFFFFFFF;
    const unsigned long p = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return static_cast<std::uint32_t>(((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16));
  }
  testsupport::TempDir dir_;
  std::filesystem::path cwd_;
  std::optional<std::string> keptserver;
};

TEST_F(PrintOnX11, TextAndFiguresGoToTheWindowAndOntoPaper) {
  const std::string out = runopen(
      "H = 0\n"
      "R = WINDOW(WINdowhandle=H, TItle='Notes', X=-40, Y=-40, Width=-600, Height=-400)\n"
      "WRITE(WINdowhandle=H, PRint=3, DeCoRation='BC=14,RA=0') 'Week 49: readings'\n"
      "WRITE(WINdowhandle=H, PRint=3) 'Monday 12.5|Tuesday 13.1|Wednesday 12.9'\n"
      "WRITE(WINdowhandle=H, PRint=3, DeCoRation='PXL,FC=0.05,LI=40,240,200,300,360,260') ' '\n"
      "WRITE(WINdowhandle=H, PRint=11) 'End of notes'\n");
  ASSERT_NE(out.find("stop=-1"), std::string::npos) << out;
  std::int32_t k = 0;
  ASSERT_TRUE(core::FINDSN("H", k, 0x400));
  const win::HWND h = ui::handleof(core::z(k));
  ASSERT_NE(h, nullptr);
  // The frame's background, right of the text and below the last line.
  const std::uint32_t back = exec::rgbtab(14);
  ASSERT_TRUE(pump_until([&] { return onserver(h, 500, 350) == back; }))
      << "waited in vain for the frame's background on the server";
  if (const char* folder = std::getenv("OSTREL_SCREENSHOTS"); folder != nullptr && *folder)
    plat::write_window_png(h, std::string(folder) + "/print_x11.png");

  std::string pdf;
  for (const auto& e : std::filesystem::directory_iterator(dir_.path()))
    if (e.path().extension() == ".pdf") pdf = e.path().string();
  ASSERT_FALSE(pdf.empty()) << "no document was printed";
  EXPECT_NE(command("pdfinfo '" + pdf + "'").find("Pages:           1"), std::string::npos);
  const std::string text = command("pdftotext -raw '" + pdf + "' -");
  for (const char* line : {"Week 49: readings\n", "Monday 12.5\nTuesday 13.1\nWednesday 12.9\n",
                           "End of notes\n", "Ostrel / "})
    EXPECT_NE(text.find(line), std::string::npos) << line << " not in:\n" << text;
  if (const char* folder = std::getenv("OSTREL_SCREENSHOTS"); folder != nullptr && *folder)
    std::filesystem::copy_file(pdf, std::string(folder) + "/print_x11.pdf",
                               std::filesystem::copy_options::overwrite_existing);
}

}  // namespace
