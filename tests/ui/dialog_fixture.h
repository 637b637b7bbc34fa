// Scripts with dialogs run as RUN runs them, on the headless back end: the
// keys a user would press are typed into each modal dialog as soon as it
// has its controls; a dialog that gets no keys closes as by Escape.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/win_window.h"
#include "support/script_folder.h"

namespace dlgtest {

// One step of the user: a key (its virtual key and the character it types,
// 0 none), with Ctrl or Shift held when asked.
struct Key {
  int vk = 0;
  unsigned char ch = 0;
  bool ctrl = false;
  bool shift = false;
  int click = 0;                         // not a key: the control of this id is clicked
  std::function<void(win::HWND)> probe;  // not a key: called with the dialog
};
// The keys that type the text.
std::vector<Key> typing(const std::string& text);
Key press(int vk, bool shift = false);
Key click(int id);
Key probe(std::function<void(win::HWND)> f);
// The text a control of the dialog shows.
std::string shown(win::HWND dialog, int id);
// The dialog's first control of the window class (null none).
win::HWND childofclass(win::HWND dialog, const std::string& windowclass);
// Key lists joined.
std::vector<Key> keys(std::initializer_list<std::vector<Key>> parts);

class DialogScript : public testsupport::ScriptInFolder {
 protected:
  void SetUp() override;
  void TearDown() override;
  // The keys for the dialogs to come, one list per dialog in turn; a
  // function runs when the dialog opens, before its keys.
  void answer(std::vector<Key> keys, std::function<void(win::HWND)> first = nullptr);
  // What the run wrote on standard error.
  std::string runcaught(const std::string& text, std::string& err);
};

// What is wrong with the dialog's layout, one line each: a label or button
// whose text is wider than the item, two items that overlap (a group box
// holds its items and is not counted); empty when nothing is.
std::string layoutfaults(win::HWND dialog);

// Paints the window and its controls now and writes its picture (frame
// included) as a PNG file; false when it could not be written.
bool picture(win::HWND window, const std::string& path);

// The dialogs opened since the test began, in order.
inline std::vector<win::HWND> opened;

}  // namespace dlgtest
