#include "ide_fixture.h"

#include "exec/headless_run.h"
#include "ide/builtins_install.h"
#include "ide/fe_control.h"
#include "ide/fe_main.h"
#include "ide/fedit.h"
#include "ide/idewords.h"
#include "ide/windowlist.h"
#include "platform/backend.h"
#include "platform/clocks.h"
#include "platform/win_commdlg.h"
#include "platform/win_message_box.h"
#include "toolkit/entry.h"
#include "toolkit/services.h"
#include "toolkit/windows.h"

namespace idetest {

namespace {

std::vector<Step> pending;
std::size_t nextstep = 0;
int* tickcount = nullptr;
constexpr int kSpareTicks = 5;
bool stepsheld = false;

int control(int& code, win::HWND& window, win::WPARAM& wparam, win::LPARAM& lparam) {
  const int result = ide::FE_CONTROL(code, window, wparam, lparam);
  if (code != ide::kAppTimer) return result;
  ++*tickcount;
  if (stepsheld) return result;
  if (nextstep < pending.size()) {
    pending[nextstep++]();
    if (nextstep == pending.size()) {
      // Changes left in the editor are not saved: Cancel would keep the
      // program open.
      plat::push_message_box_answer(win::IDNO);
      toolkit::POST_COMMAND(0x4001, nullptr);
    }
  } else if (++nextstep > pending.size() + kSpareTicks) {
    ADD_FAILURE() << "the program did not end after QUIT";
    win::DestroyWindow(toolkit::MAIN_WINDOW());
  }
  return result;
}

}  // namespace

constexpr int kWaitTicks = 500;

Step waitfor(std::function<bool()> state, std::string what, Step then) {
  return [state = std::move(state), what = std::move(what), then = std::move(then),
          left = kWaitTicks]() mutable {
    if (state()) {
      then();
    } else if (--left > 0) {
      --nextstep;  // the same step again at the next tick
    } else {
      ADD_FAILURE() << "waited " << kWaitTicks << " ticks in vain for " << what;
    }
  };
}

HoldSteps::HoldSteps() { stepsheld = true; }
HoldSteps::~HoldSteps() { stepsheld = false; }

EnvVar::EnvVar(const char* name, const char* value) : name_(name) {
  if (const char* old = std::getenv(name)) old_ = old;
  if (value != nullptr)
    setenv(name, value, 1);
  else
    unsetenv(name);
}

EnvVar::~EnvVar() {
  if (old_)
    setenv(name_.c_str(), old_->c_str(), 1);
  else
    unsetenv(name_.c_str());
}

namespace {

// The program's words and the toolkit's as a process starts with them.
void freshprocess() {
  exec::reset_all();
  toolkit::reset_toolkit();
  plat::reset_common_dialogs();
  ide::reset_ide();
  ide::install_all_builtins();
  ide::install_application();
  ide::edittap = [](std::int32_t command, const std::array<std::uint8_t, 4>& key) {
    handedover.push_back({command, key});
  };
  plat::set_virtual_clock({2024, 5, 6, 0, 10, 0, 0, 0});
}

}  // namespace

void IdeTest::SetUp() {
  // Scripts that a command line names, and are missing, are made here.
  std::filesystem::current_path(config.path());
  handedover.clear();
  freshprocess();
}

void IdeTest::TearDown() {
  ide::edittap = nullptr;
  std::filesystem::current_path(startfolder);
  ide::reset_ide();
  exec::reset_all();
  toolkit::reset_toolkit();
  plat::reset_common_dialogs();
  plat::clear_virtual_clock();
}

int IdeTest::run(const std::string& cmdline, std::vector<Step> steps) {
  // A second program of one test starts as in a process of its own: the
  // first one's window list, windows and clipboard are gone.
  if (programs++ > 0) freshprocess();
  pending = std::move(steps);
  nextstep = 0;
  ticks = 0;
  tickcount = &ticks;
  toolkit::application.FE_CONTROL = control;
  if (pending.empty()) pending.push_back([] {});
  toolkit::WinMain(toolkit::GET_MODULE_HANDLE(), nullptr, cmdline.c_str(), 1);
  pending.clear();
  return ide::exitstatus;
}

void presswith(int held, int vk) {
  plat::input_key(held, plat::scan_code_of(held), true);
  plat::set_key_state(held, true);
  plat::inject_key_press(vk, 0);
  plat::set_key_state(held, false);
  plat::input_key(held, plat::scan_code_of(held), false);
}

void* mainwindow() { return ide::wdwhead != nullptr ? ide::wdwhead->window : nullptr; }

void snapshot(const std::string& name) {
  const char* folder = std::getenv("OSTREL_SCREENSHOTS");
  if (folder == nullptr || *folder == '\0') return;
  plat::write_window_png(toolkit::MAIN_WINDOW(),
                         (std::filesystem::path(folder) / (name + ".png")).string(), true);
}

}  // namespace idetest
