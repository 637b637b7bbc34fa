// MessageBoxA of the Windows-style interface, with its style bits and
// answer codes.
//
// With a display the box is a modal dialog of the platform's controls
// (also shown headless when a test asks for it). Otherwise the answer comes
// from a queue that tests fill; when the queue is empty the box answers
// what cannot repeat work: No to a yes/no question, Cancel where offered,
// Abort for abort/retry/ignore, else OK. Every box is reported on standard
// error (platform/win_msgbox_report.h).
#pragma once

#include <string>
#include <vector>

#include "platform/win_window.h"

namespace win {

inline constexpr UINT MB_OK = 0x00000000;
inline constexpr UINT MB_OKCANCEL = 0x00000001;
inline constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
inline constexpr UINT MB_YESNOCANCEL = 0x00000003;
inline constexpr UINT MB_YESNO = 0x00000004;
inline constexpr UINT MB_RETRYCANCEL = 0x00000005;
inline constexpr UINT MB_ICONHAND = 0x00000010;
inline constexpr UINT MB_ICONSTOP = MB_ICONHAND;
inline constexpr UINT MB_ICONERROR = MB_ICONHAND;
inline constexpr UINT MB_ICONQUESTION = 0x00000020;
inline constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
inline constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
inline constexpr UINT MB_ICONASTERISK = 0x00000040;
inline constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
inline constexpr UINT MB_DEFBUTTON1 = 0x00000000;
inline constexpr UINT MB_DEFBUTTON2 = 0x00000100;
inline constexpr UINT MB_DEFBUTTON3 = 0x00000200;
inline constexpr UINT MB_APPLMODAL = 0x00000000;
inline constexpr UINT MB_SYSTEMMODAL = 0x00001000;
inline constexpr UINT MB_TASKMODAL = 0x00002000;
inline constexpr UINT MB_SETFOREGROUND = 0x00010000;
inline constexpr UINT MB_TYPEMASK = 0x0000000F;
inline constexpr UINT MB_ICONMASK = 0x000000F0;
inline constexpr UINT MB_DEFMASK = 0x00000F00;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Shows the box and returns the button pressed. A null caption reads
// "Error", a null text is empty.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

}  // namespace win

namespace plat {

// Queues the answer of the next box shown without a display. An answer
// that the box does not offer is ignored for that box (it gets its safe
// answer) and noted in the log line.
void push_message_box_answer(int answer);
// Boxes shown since the last reset, oldest first (texts as given).
struct MessageBoxRecord {
  std::string title;
  std::string text;
  win::UINT style = 0;
  int answer = 0;
};
const std::vector<MessageBoxRecord>& message_box_log();
// The answer a box of this style gives when nobody answers it.
int safe_message_box_answer(win::UINT style);
// Whether a box of this style offers the answer.
bool message_box_offers(win::UINT style, int answer);
// Empties the answer queue and the log.
void reset_message_boxes();
// A window that nobody sees (a program's help window in a run without a
// display): it takes the next queued answer when `offered` accepts it, else
// it closes unanswered (0). It is logged and reported like a box; the
// answer is returned.
int unseen_window(const std::string& title, const std::string& text,
                  bool (*offered)(int answer, const void* data), const void* data);
// With a display a box is a modal dialog of a message-box icon, the text
// and buttons with mnemonics; this shows boxes so also without one (tests
// drive them with injected keys and clicks; a box nobody answers gets its
// safe answer).
void set_message_boxes_as_windows(bool on);
// Whether boxes are shown as windows (a display, or tests that ask).
bool message_boxes_shown();

}  // namespace plat
