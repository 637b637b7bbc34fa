#include "ide/statusbar.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "exec/statusbar.h"
#include "ide/byname.h"
#include "ide/fontslot.h"
#include "ide/idewords.h"
#include "ide/redefine.h"
#include "ide/windowlist.h"
#include "plot/fontslots.h"
#include "toolkit/records.h"

namespace ide {

namespace {

constexpr std::string_view roleletters = "ULC/OT";
enum role { user = 1, line = 2, column = 3, character = 4, overwrite = 5 };
// The field of each role (1 to 6), 0 when none.
int rolefield[7] = {};

constexpr std::string_view layout2 = "Line  |Col  |Asc/Hex   |OVR |User";
// Cells of the fields 1 to 4 of layout 2, and the widest text each shows.
constexpr int fieldcells[5] = {0, 6, 5, 10, 5};
constexpr std::string_view widest[5] = {"", "000000", "00000", "W 000/00", "OVR"};

// The last values shown in the fields of the roles Line, Col, Asc/Hex and
// OVR (empty: none yet), and the run's text.
std::string shown[7];
std::string runtext;

// The width the toolkit shares out among the fields: the main window's
// client width less a border and a gap around each of the `fields`.
float freewidth(int fields) {
  win::RECT c{};
  const win::HWND main = toolkit::MAIN_WINDOW();
  int w = main != nullptr && clientrect_of(main, c) ? c.right - c.left : 0;
  if (w <= 0) w = mainwinrect.width;
  const toolkit::status_bar_data& bar = toolkit::status_bar;
  return static_cast<float>(std::max(w - (2 * bar.border + bar.gap) * fields, 1));
}

// Field k's share of the free width: its cells of font slot 3, or its
// widest text in that font when that is wider, and the border the toolkit
// draws around the text.
float cellfraction(int k, float free) {
  const plot::FontSlot& f = plot::fontslots(3);
  std::int32_t pixels = fieldcells[k] * f.cellwidth;
  if (f.font != nullptr) {
    const win::HDC dc = win::GetDC(nullptr);
    const win::HGDIOBJ old = win::SelectObject(dc, f.font);
    std::int32_t size[2] = {};
    TEXTEXTENT(dc, widest[k], size);
    win::SelectObject(dc, old);
    win::ReleaseDC(nullptr, dc);
    pixels = std::max(pixels, size[0]);
  }
  pixels += 4 * toolkit::status_bar.border;
  return static_cast<float>(pixels) / free;
}

void setfield(int k, std::string_view text) {
  toolkit::SET_STATUS_BAR_ITEM(statusfields[k - 1], nullptr, nullptr, text.data(),
                               static_cast<int>(text.size()));
}

// A number from its first non-blank character; more than six digits show
// as six asterisks.
std::string sixdigits(std::int32_t n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%d", n);
  const std::string s = buf;
  return s.size() > 6 ? "******" : s;
}

void buildlayout(std::int32_t number, std::optional<std::string_view> title) {
  if (number != 3) statuslayout = number;
  std::string text(256, ' ');
  const std::string_view source = statuslayout == 1 ? "U" : layout2;
  text.replace(0, source.size(), source);
  text[250] = '|';
  for (int& f : rolefield) f = 0;
  // Fields of an earlier layout go.
  for (toolkit::status_bar_item_t& f : statusfields) {
    const int none = 0;
    toolkit::SET_STATUS_BAR_ITEM(f, &none, nullptr, " ", 1);
  }
  int k = 0;
  std::size_t s = 0;  // position of the previous separator (1-based)
  float remaining = 1.0F;
  const float free = freewidth(static_cast<int>(std::count(text.begin(), text.end(), '|')));
  for (std::size_t i = 2; i <= 251; ++i) {
    if (text[i - 1] != '|') continue;
    std::string field = text.substr(s, i - 1 - s);
    ++k;
    float width = 1.0F;
    if (text[0] != 'U') {
      width = k <= 4 ? cellfraction(k, free) : remaining;
      remaining -= width;
    }
    if (k > 6) break;
    int r = 0;
    for (std::size_t j = 0; j < roleletters.size() && r == 0; ++j)
      if (field.find(roleletters[j]) != std::string::npos) r = static_cast<int>(j) + 1;
    if (r != 0) {
      rolefield[r] = k;
      if (r == user && !runtext.empty()) {
        field = runtext;
      } else if (r != user && !shown[r].empty()) {
        field = shown[r];
      } else if (r == user && title) {
        const std::size_t cut = title->rfind('/');
        const std::string_view file =
            cut == std::string_view::npos ? *title : title->substr(cut + 1);
        const std::string welcome =
            "Welcome to Ostrel script " + std::string(file) + ". Click 1STEP or RUN or File";
        field = welcome.substr(0, std::min(welcome.size(), field.size()));
      }
      const int plain = 12;
      toolkit::SET_STATUS_BAR_ITEM(statusfields[k - 1], &plain, &width, field.data(),
                                   static_cast<int>(field.size()));
    }
    s = i;
  }
}

void settitle(std::string_view path) {
  const std::size_t cut = path.rfind('/');
  const std::string_view file = cut == std::string_view::npos ? path : path.substr(cut + 1);
  const std::string_view folder =
      cut == std::string_view::npos ? std::string_view() : path.substr(0, cut + 1);
  // A name without a folder stands alone: no empty brackets.
  const std::string caption =
      folder.empty() ? std::string(file) : std::string(file) + " (" + std::string(folder) + ")";
  if (const win::HWND main = toolkit::MAIN_WINDOW()) redefine_title(main, caption);
}

}  // namespace

void STATUSBAR(const StatusUpdate& update) {
  StatusUpdate u = update;
  if (u.run) {
    runtext = std::string(*u.run);
    runtext.erase(runtext.find_last_not_of(' ') + 1);
    if (!u.message && !runtext.empty()) u.message = runtext;
  }
  if (u.title) {
    // Titles come blank-padded.
    std::string_view t = *u.title;
    while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
    u.title = t;
  }
  if (u.layout) buildlayout(*u.layout, u.title);
  if (u.title) settitle(*u.title);
  if (u.message && rolefield[user] != 0) setfield(rolefield[user], *u.message);
  // Texts of the roles, kept for the next layout.
  const auto put = [](int r, std::string text) {
    if (rolefield[r] != 0) setfield(rolefield[r], text);
    shown[r] = std::move(text);
  };
  if (u.line) put(line, sixdigits(*u.line));
  if (u.column) put(column, sixdigits(*u.column));
  if (u.character) {
    const auto c = static_cast<unsigned char>(*u.character);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%c %03u/%02X", static_cast<char>(c), c, c);
    put(character, std::string(buf, 8));
  }
  if (u.mode) put(overwrite, std::string(*u.mode));
  // The main window's bar, also while the window is being made.
  const win::HWND main = toolkit::MAIN_WINDOW();
  if (main == nullptr) return;
  const int redraw = 1;
  const win::HFONT font = plot::fontslots(3).font;
  toolkit::SET_STATUS_BAR(statusfields, 6, &redraw, font != nullptr ? &font : nullptr, &main, &ups);
}

void install_statusbar() {
  exec::statusbarhook = [](std::string_view text) { STATUSBAR({.message = text}); };
}

void reset_statusbar() {
  for (toolkit::status_bar_item_t& f : statusfields) f = toolkit::status_bar_item_t{};
  for (int& f : rolefield) f = 0;
  for (std::string& t : shown) t.clear();
  runtext.clear();
  statuslayout = 1;
}

}  // namespace ide
