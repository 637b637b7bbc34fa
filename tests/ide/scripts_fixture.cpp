#include "scripts_fixture.h"

#include <algorithm>

#include "core/editbuffer.h"
#include "core/stores.h"
#include "exec/headless_run.h"
#include "ide/fe_main.h"
#include "ide/filehistory.h"
#include "ide/idewords.h"
#include "ide/m2.h"
#include "ide/menutool.h"
#include "ide/scripts.h"
#include "ide/statusbar.h"
#include "ide/windowlist.h"
#include "platform/file_units.h"
#include "platform/win_commdlg.h"
#include "platform/win_message_box.h"
#include "toolkit/entry.h"
#include "toolkit/services.h"
#include "toolkit/windows.h"

namespace idetest {

void ScriptsTest::SetUp() {
  exec::reset_all();
  toolkit::reset_toolkit();
  ide::reset_ide();
  ide::reset_scripts();
  ide::reset_m2();
  plat::reset_common_dialogs();
  const std::string data = (testsupport::source_dir() / "data").string() + "/";
  ASSERT_TRUE(exec::prepare_run(data + "Ostrel.hlp"));
  ide::progdir.set(data);
  ide::appdir.set(app.path().string() + "/");
  ide::workdir.set(home.path().string() + "/");
  std::int32_t status = 0;
  ide::NEWWINDOW(status, nullptr);
  // The main window with the IDE's menus and toolbar, which the routines
  // update.
  ide::MENUTOOL();
  ide::wdwhead->window = toolkit::CREATE_WINDOW(
      "Ostrel", 6, ide::menubar.data(), 5, ide::statusfields, 6, ide::toolitems.data(),
      ide::ntoolitems, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
      nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
      nullptr, nullptr, nullptr);
}

void ScriptsTest::TearDown() {
  std::filesystem::current_path(startfolder);
  toolkit::reset_toolkit();
  ide::reset_scripts();
  ide::reset_m2();
  ide::reset_ide();
  exec::reset_all();
  plat::reset_common_dialogs();
}

std::vector<std::string> ScriptsTest::setuplines() const {
  std::vector<std::string> lines;
  std::string all = testsupport::read_file(ide::setuppath());
  for (std::size_t at = 0; at < all.size();) {
    const std::size_t end = all.find("\r\n", at);
    lines.push_back(all.substr(at, end - at));
    at = end == std::string::npos ? all.size() : end + 2;
  }
  return lines;
}

void ScriptsTest::writesetup(const std::vector<std::string>& lines) const {
  std::string all;
  for (const std::string& l : lines) all += l + "\r\n";
  testsupport::write_file(ide::setuppath(), all);
}

std::vector<std::string> ScriptsTest::boxes() const {
  std::vector<std::string> out;
  for (const plat::MessageBoxRecord& r : plat::message_box_log()) out.push_back(r.title);
  return out;
}

std::vector<std::string> entries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const std::filesystem::directory_entry& e : std::filesystem::directory_iterator(folder))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string ScriptsTest::text() {
  return core::c1edit.size() > 0
             ? std::string(core::c1edit.ptr(1), static_cast<std::size_t>(core::c1editend))
             : std::string();
}

}  // namespace idetest
