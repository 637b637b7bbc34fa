#include "support/dialog_layout.h"

#include <algorithm>
#include <array>

#include "platform/win_controls.h"
#include "platform/win_gdi.h"
#include "platform/win_message.h"

namespace testsupport {

namespace {

using Control = ShownControl;

// The room a caption has inside its control: a check box's text stands
// right of its box, a button's inside its frame.
constexpr int kBoxAndGap = 17;
constexpr int kButtonFrame = 4;
// A field's text stands this far inside its client area on either side.
constexpr int kFieldMargin = 2;
// The least room between a caption and a framed control above or below it.
constexpr int kMarginAbove = 2;

std::string shown(const std::string& text) {
  std::string s;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    s.push_back(text[i]);
  }
  return s;
}

}  // namespace

std::vector<ShownControl> shown_controls(win::HWND dialog) {
  std::vector<Control> out;
  for (win::HWND h = win::GetWindow(dialog, win::GW_CHILD); h != nullptr;
       h = win::GetWindow(h, win::GW_HWNDNEXT)) {
    if (!win::IsWindowVisible(h)) continue;
    Control c;
    c.window = h;
    std::array<char, 64> kind{};
    win::GetClassNameA(h, kind.data(), static_cast<int>(kind.size()));
    c.kind = kind.data();
    std::array<char, 1024> text{};
    win::GetWindowTextA(h, text.data(), static_cast<int>(text.size()));
    c.caption = shown(text.data());
    c.style = static_cast<win::DWORD>(win::GetWindowLongA(h, win::GWL_STYLE));
    win::RECT r{};
    win::GetWindowRect(h, &r);
    win::POINT a{r.left, r.top}, b{r.right, r.bottom};
    win::ScreenToClient(dialog, &a);
    win::ScreenToClient(dialog, &b);
    c.rect = {a.x, a.y, b.x, b.y};
    out.push_back(c);
  }
  // In reading order: by rows, then from the left.
  std::stable_sort(out.begin(), out.end(), [](const Control& a, const Control& b) {
    return a.rect.top != b.rect.top ? a.rect.top < b.rect.top : a.rect.left < b.rect.left;
  });
  return out;
}

namespace {

std::vector<Control> controls(win::HWND dialog) { return shown_controls(dialog); }

bool isbutton(const Control& c) { return c.kind == "Button"; }
bool isgroup(const Control& c) {
  return isbutton(c) && (c.style & win::BS_TYPEMASK) == win::BS_GROUPBOX;
}
bool ischeck(const Control& c) {
  const win::DWORD t = c.style & win::BS_TYPEMASK;
  return isbutton(c) && t >= win::BS_CHECKBOX && t <= win::BS_AUTORADIOBUTTON &&
         t != win::BS_GROUPBOX;
}
bool readonlyfield(const Control& c) {
  return c.kind == "Edit" && (c.style & win::ES_READONLY) != 0 &&
         (c.style & win::ES_MULTILINE) == 0;
}
bool captioned(const Control& c) { return isbutton(c) || c.kind == "Static" || readonlyfield(c); }
bool pushbutton(const Control& c) { return isbutton(c) && !ischeck(c) && !isgroup(c); }
bool framed(const Control& c) {
  return pushbutton(c) || c.kind == "Edit" || c.kind == "ListBox" || c.kind == "ComboBox" ||
         c.kind == "msctls_updown32";
}
// The kind of a control for comparing rows: a check box or radio button
// is no push button.
std::string rowkind(const Control& c) {
  return ischeck(c) ? "Check" : isgroup(c) ? "Group" : c.kind;
}

std::string named(const Control& c) {
  return c.kind + " \"" + (c.caption.size() > 40 ? c.caption.substr(0, 40) + "..." : c.caption) +
         "\"";
}

// The caption's size in the control's own font.
win::SIZE extent(const Control& c) {
  win::SIZE size{};
  win::HDC dc = win::GetDC(c.window);
  const auto font =
      reinterpret_cast<win::HFONT>(win::SendMessageA(c.window, win::WM_GETFONT, 0, 0));
  win::HGDIOBJ old = font != nullptr ? win::SelectObject(dc, font) : nullptr;
  win::GetTextExtentPoint32A(dc, c.caption.data(), static_cast<int>(c.caption.size()), &size);
  if (old != nullptr) win::SelectObject(dc, old);
  win::ReleaseDC(c.window, dc);
  return size;
}

bool overlap(const win::RECT& a, const win::RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

std::string dialog_texts(win::HWND dialog) {
  std::string out;
  for (const Control& c : controls(dialog))
    if (!c.caption.empty()) out += c.caption + "\n";
  return out;
}

std::string layout_faults(win::HWND dialog) {
  std::string out;
  win::RECT client{};
  win::GetClientRect(dialog, &client);
  const std::vector<Control> all = controls(dialog);
  for (std::size_t i = 0; i < all.size(); ++i) {
    const Control& c = all[i];
    const win::RECT& r = c.rect;
    if (r.left < 0 || r.top < 0 || r.right > client.right || r.bottom > client.bottom)
      out += named(c) + " reaches outside the dialog\n";
    for (std::size_t j = i + 1; j < all.size(); ++j)
      if (!isgroup(c) && !isgroup(all[j]) && overlap(r, all[j].rect))
        out += named(c) + " and " + named(all[j]) + " lie on one another\n";
    if (!captioned(c) || c.caption.empty() || isgroup(c)) continue;
    const win::SIZE s = extent(c);
    win::RECT inside{};
    win::GetClientRect(c.window, &inside);
    const int room = readonlyfield(c) ? inside.right - 2 * kFieldMargin
                                      : (r.right - r.left) - (ischeck(c)    ? kBoxAndGap
                                                              : isbutton(c) ? kButtonFrame
                                                                            : 0);
    if (s.cx > room)
      out += named(c) + " is clipped: " + std::to_string(s.cx) + " pixels wide in " +
             std::to_string(room) + "\n";
    if (s.cy > r.bottom - r.top)
      out += named(c) + " is cut: " + std::to_string(s.cy) + " pixels high in " +
             std::to_string(r.bottom - r.top) + "\n";
  }
  return out;
}

std::string alignment_faults(win::HWND dialog) {
  std::string out;
  const std::vector<Control> all = controls(dialog);
  // The rows: controls of one top, from the left.
  std::vector<std::vector<Control>> rows;
  for (const Control& c : all) {
    if (isgroup(c)) continue;
    if (rows.empty() || rows.back().front().rect.top != c.rect.top) rows.emplace_back();
    rows.back().push_back(c);
  }
  for (std::size_t k = 1; k < rows.size(); ++k) {
    const std::vector<Control>& above = rows[k - 1];
    const std::vector<Control>& row = rows[k];
    const std::size_t n = std::min(above.size(), row.size());
    bool alike = true;
    for (std::size_t i = 0; i < n && alike; ++i) alike = rowkind(above[i]) == rowkind(row[i]);
    if (!alike) continue;
    for (std::size_t i = 0; i < n; ++i) {
      const win::RECT &a = above[i].rect, &b = row[i].rect;
      if (a.left != b.left)
        out += named(row[i]) + " stands at " + std::to_string(b.left) + ", not under " +
               named(above[i]) + " at " + std::to_string(a.left) + "\n";
      else if (pushbutton(row[i]) && a.right - a.left != b.right - b.left)
        out += named(row[i]) + " is " + std::to_string(b.right - b.left) + " pixels wide, " +
               named(above[i]) + " above it " + std::to_string(a.right - a.left) + "\n";
    }
  }
  for (const Control& c : all) {
    if (c.kind != "Static" || c.caption.empty()) continue;
    for (const Control& f : all) {
      if (!framed(f) || c.rect.left >= f.rect.right || f.rect.left >= c.rect.right) continue;
      const int below = f.rect.top - c.rect.bottom, above = c.rect.top - f.rect.bottom;
      if ((below >= 0 && below < kMarginAbove) || (above >= 0 && above < kMarginAbove))
        out += named(c) + " touches " + named(f) + "\n";
    }
  }
  return out;
}

std::vector<int> checkbox_lefts(win::HWND dialog) {
  std::vector<int> out;
  for (const Control& c : controls(dialog))
    if (ischeck(c)) out.push_back(c.rect.left);
  return out;
}

}  // namespace testsupport
