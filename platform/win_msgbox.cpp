// MessageBoxA: a dialog with a display (or when tests ask for windows),
// otherwise answered from the test queue or with the answer that cannot
// repeat work; every box is logged on standard error.
#include <cstdio>
#include <deque>

#include "platform/backend.h"
#include "platform/cp1252.h"
#include "platform/win_controls_internal.h"
#include "platform/win_message_box.h"
#include "platform/win_msgbox_report.h"
#include "platform/win_window_tree.h"

namespace plat {

namespace {

std::deque<int> answers;
std::vector<MessageBoxRecord> box_log;

}  // namespace

bool message_box_offers(win::UINT style, int answer) {
  using namespace win;
  switch (style & MB_TYPEMASK) {
    case MB_OK:
      return answer == IDOK;
    case MB_OKCANCEL:
      return answer == IDOK || answer == IDCANCEL;
    case MB_ABORTRETRYIGNORE:
      return answer == IDABORT || answer == IDRETRY || answer == IDIGNORE;
    case MB_YESNOCANCEL:
      return answer == IDYES || answer == IDNO || answer == IDCANCEL;
    case MB_YESNO:
      return answer == IDYES || answer == IDNO;
    case MB_RETRYCANCEL:
      return answer == IDRETRY || answer == IDCANCEL;
    default:
      return answer == IDOK;
  }
}

int safe_message_box_answer(win::UINT style) {
  using namespace win;
  switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL:
      return IDCANCEL;
    case MB_YESNO:
      return IDNO;
    case MB_ABORTRETRYIGNORE:
      return IDABORT;
    default:
      return IDOK;
  }
}

void push_message_box_answer(int answer) { answers.push_back(answer); }

const std::vector<MessageBoxRecord>& message_box_log() { return box_log; }

int unseen_window(const std::string& title, const std::string& text,
                  bool (*offered)(int answer, const void* data), const void* data) {
  int answer = 0;
  const char* note = "";
  if (!answers.empty()) {
    const int queued = answers.front();
    answers.pop_front();
    if (offered != nullptr && offered(queued, data))
      answer = queued;
    else
      note = " (queued answer not offered)";
  }
  box_log.push_back(MessageBoxRecord{title, text, win::MB_OK, answer});
  report_message_box(box_log.back(), note);
  return answer;
}

void reset_message_boxes() {
  answers.clear();
  box_log.clear();
}

}  // namespace plat

namespace win {

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  std::string_view t = text != nullptr ? text : "";
  std::string_view c = caption != nullptr ? caption : "Error";
  int answer = win::detail::message_box_dialog(owner, t, c, type);
  const char* note = "";
  if (answer < 0) {
    answer = plat::safe_message_box_answer(type);
    if (!plat::answers.empty()) {
      int queued = plat::answers.front();
      plat::answers.pop_front();
      if (plat::message_box_offers(type, queued))
        answer = queued;
      else
        note = " (queued answer not offered)";
    }
  }
  plat::box_log.push_back(plat::MessageBoxRecord{std::string(c), std::string(t), type, answer});
  plat::report_message_box(plat::box_log.back(), note);
  return answer;
}

}  // namespace win
