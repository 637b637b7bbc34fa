#include "dialog_fixture.h"

#include <unistd.h>

#include <cstdio>
#include <deque>

#include "exec/windowlist.h"
#include "ide/windowclose.h"
#include "platform/backend.h"
#include "platform/win_controls.h"
#include "platform/win_dialog.h"
#include "platform/win_gdi.h"
#include "platform/win_message.h"
#include "platform/win_message_keys.h"
#include "toolkit/loops.h"
#include "ui/dialogs.h"

namespace dlgtest {

namespace {

struct Answer {
  std::vector<Key> keys;
  std::function<void(win::HWND)> first;
};
std::deque<Answer> answers;

void hold(int vk, bool down) { plat::input_key(vk, plat::scan_code_of(vk), down); }

// Posted to a dialog once it has its controls, and again after each key:
// the next key is typed when it comes, to the control that has the focus
// after the keys before it.
constexpr win::UINT typenow = 0x8000 + 0x77;
// The keys of each dialog that got an answer, the newest dialog last. A
// dialog opened from a click of another types its own keys; the other's
// keys wait until it is gone and then go on.
struct Typing {
  win::HWND window = nullptr;
  std::vector<Key> keys;
  std::size_t next = 0;
  std::function<void(win::HWND)> first;
  bool waiting = false;  // a next-key message came while a newer dialog was up
};
std::vector<Typing> typing_for;

Typing* typingof(win::HWND w) {
  for (Typing& t : typing_for)
    if (t.window == w) return &t;
  return nullptr;
}

int hook(win::HWND& window, win::UINT& message, win::WPARAM& wparam, win::LPARAM& lparam,
         win::LRESULT& result) {
  if (message == win::WM_INITDIALOG) {
    opened.push_back(window);
    if (answers.empty()) return ide::DLGCALLBACK(window, message, wparam, lparam, result);
    Answer a = std::move(answers.front());
    answers.pop_front();
    typing_for.push_back({window, std::move(a.keys), 0, std::move(a.first), false});
    win::PostMessageA(window, typenow, 0, 0);
    return ide::DLGCALLBACK(window, message, wparam, lparam, result);
  }
  if (message == win::WM_DESTROY) {
    std::erase_if(typing_for, [&](const Typing& t) { return t.window == window; });
    if (!typing_for.empty() && typing_for.back().waiting) {
      typing_for.back().waiting = false;
      win::PostMessageA(typing_for.back().window, typenow, 0, 0);
    }
    return ide::DLGCALLBACK(window, message, wparam, lparam, result);
  }
  if (message != typenow) return ide::DLGCALLBACK(window, message, wparam, lparam, result);
  Typing* t = typingof(window);
  if (t == nullptr) return -1;
  if (t != &typing_for.back()) {
    t->waiting = true;
    return -1;
  }
  if (t->first) {
    auto f = std::move(t->first);
    t->first = nullptr;
    f(window);
    t = typingof(window);
    if (t == nullptr) return -1;
  }
  if (t->next >= t->keys.size()) return -1;
  const Key k = t->keys[t->next++];
  if (k.probe) {
    k.probe(window);
    win::PostMessageA(window, typenow, 0, 0);
    return -1;
  }
  if (k.click != 0) {
    // As a mouse click: the control changes its state and tells the dialog.
    win::PostMessageA(win::GetDlgItem(window, k.click), win::BM_CLICK, 0, 0);
    win::PostMessageA(window, typenow, 0, 0);
    return -1;
  }
  if (k.ctrl) hold(win::VK_CONTROL, true);
  if (k.shift) hold(win::VK_SHIFT, true);
  plat::inject_key_press(k.vk, k.ch);
  if (k.shift) hold(win::VK_SHIFT, false);
  if (k.ctrl) hold(win::VK_CONTROL, false);
  win::PostMessageA(window, typenow, 0, 0);
  return -1;
}

// Closing a window puts the program's own hook back: this one follows.
void killwindow(win::HWND handle, std::int32_t mode) {
  ide::KILLWINDOW(handle, mode);
  toolkit::SET_DIALOG_HOOK(hook);
}

}  // namespace

std::vector<Key> typing(const std::string& text) {
  std::vector<Key> out;
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    const int vk = u >= 'a' && u <= 'z'                               ? u - 32
                   : (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') ? u
                   : u == '.'                                         ? 0xBE
                   : u == '-'                                         ? 0xBD
                   : u == ' '                                         ? win::VK_SPACE
                                                                      : 0;
    Key k;
    k.vk = vk;
    k.ch = u;
    out.push_back(k);
  }
  return out;
}

Key press(int vk, bool shift) {
  Key k;
  k.vk = vk;
  k.shift = shift;
  return k;
}
Key click(int id) { return {0, 0, false, false, id, nullptr}; }
Key probe(std::function<void(win::HWND)> f) { return {0, 0, false, false, 0, std::move(f)}; }

std::string shown(win::HWND dialog, int id) {
  char buf[512] = {};
  win::GetWindowTextA(win::GetDlgItem(dialog, id), buf, sizeof buf);
  return buf;
}

win::HWND childofclass(win::HWND dialog, const std::string& windowclass) {
  for (win::HWND c = win::GetWindow(dialog, win::GW_CHILD); c != nullptr;
       c = win::GetWindow(c, win::GW_HWNDNEXT)) {
    char name[64] = {};
    win::GetClassNameA(c, name, sizeof name);
    if (windowclass == name) return c;
  }
  return nullptr;
}

std::vector<Key> keys(std::initializer_list<std::vector<Key>> parts) {
  std::vector<Key> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

std::string layoutfaults(win::HWND dialog) {
  struct Child {
    std::string cls, text;
    win::RECT r{};
  };
  std::vector<Child> shown;
  std::string faults;
  for (win::HWND c = win::GetWindow(dialog, win::GW_CHILD); c != nullptr;
       c = win::GetWindow(c, win::GW_HWNDNEXT)) {
    if (!win::IsWindowVisible(c)) continue;
    Child k;
    char cls[32] = {}, text[512] = {};
    win::GetClassNameA(c, cls, sizeof cls);
    win::GetWindowTextA(c, text, sizeof text);
    k.cls = cls;
    win::GetWindowRect(c, &k.r);
    const bool group =
        k.cls == "Button" && (static_cast<win::DWORD>(win::GetWindowLongA(c, win::GWL_STYLE)) &
                              win::BS_TYPEMASK) == win::BS_GROUPBOX;
    if (group) continue;
    // The text as drawn: "&" marks the next letter ("&&" is one "&").
    for (const char* p = text; *p != 0; ++p) {
      if (*p == '&' && p[1] != 0) ++p;
      k.text += *p;
    }
    shown.push_back(k);
    if ((k.cls != "Static" && k.cls != "Button") || k.text.empty() ||
        k.text.find_first_of("\r\n") != std::string::npos)
      continue;
    win::HDC dc = win::GetDC(c);
    const auto font = reinterpret_cast<win::HFONT>(win::SendMessageA(c, win::WM_GETFONT, 0, 0));
    const win::HGDIOBJ old = font != nullptr ? win::SelectObject(dc, font) : nullptr;
    win::SIZE size{};
    win::GetTextExtentPoint32A(dc, k.text.data(), static_cast<int>(k.text.size()), &size);
    if (old != nullptr) win::SelectObject(dc, old);
    win::ReleaseDC(c, dc);
    if (size.cx > k.r.right - k.r.left)
      faults += k.cls + " \"" + k.text + "\" needs " + std::to_string(size.cx) + " pixels of " +
                std::to_string(k.r.right - k.r.left) + "\n";
  }
  for (std::size_t i = 0; i < shown.size(); ++i)
    for (std::size_t j = i + 1; j < shown.size(); ++j) {
      const win::RECT& a = shown[i].r;
      const win::RECT& b = shown[j].r;
      if (a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom)
        faults += shown[i].cls + " \"" + shown[i].text + "\" overlaps " + shown[j].cls + " \"" +
                  shown[j].text + "\"\n";
    }
  return faults;
}

bool picture(win::HWND window, const std::string& path) {
  win::InvalidateRect(window, nullptr, win::TRUE);
  win::UpdateWindow(window);
  for (win::HWND c = win::GetWindow(window, win::GW_CHILD); c != nullptr;
       c = win::GetWindow(c, win::GW_HWNDNEXT)) {
    win::InvalidateRect(c, nullptr, win::TRUE);
    win::UpdateWindow(c);
  }
  return plat::write_window_png(window, path, true);
}

void DialogScript::SetUp() {
  ScriptInFolder::SetUp();
  answers.clear();
  typing_for.clear();
  opened.clear();
  ui::reset_dialogs();
  ide::reset_windowclose();
  toolkit::SET_DIALOG_HOOK(hook);
  exec::windowcalls.KILLWINDOW = killwindow;
}

void DialogScript::TearDown() {
  toolkit::SET_DIALOG_HOOK(ide::DLGCALLBACK);
  exec::windowcalls.KILLWINDOW = ide::KILLWINDOW;
  answers.clear();
  typing_for.clear();
  ui::reset_dialogs();
  ScriptInFolder::TearDown();
}

void DialogScript::answer(std::vector<Key> keys, std::function<void(win::HWND)> first) {
  answers.push_back({std::move(keys), std::move(first)});
}

std::string DialogScript::runcaught(const std::string& text, std::string& err) {
  const testsupport::TempDir dir;
  const std::string path = dir.file("err");
  std::fflush(stderr);
  const int saved = dup(2);
  std::FILE* f = std::fopen(path.c_str(), "w");
  dup2(fileno(f), 2);
  const std::string out = run(text);
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  std::fclose(f);
  err = testsupport::read_file(path);
  return out;
}

}  // namespace dlgtest
