#include "ide/statusbar.h"

#include <cstdio>
#include <string>

#include "exec/statusbar.h"
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
// Cells of the fields 1 to 4 of layout 2.
constexpr int fieldcells[5] = {0, 6, 5, 10, 5};

float cellfraction(int cells) {
  const int w = mainwinrect.width > 0 ? mainwinrect.width : 1;
  return static_cast<float>(cells * plot::fontslots(3).cellwidth) / static_cast<float>(w);
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
  for (std::size_t i = 2; i <= 251; ++i) {
    if (text[i - 1] != '|') continue;
    std::string field = text.substr(s, i - 1 - s);
    ++k;
    float width = 1.0F;
    if (text[0] != 'U') {
      width = k <= 4 ? cellfraction(fieldcells[k]) : remaining;
      remaining = 1.0F - width;
    }
    if (k > 6) break;
    int r = 0;
    for (std::size_t j = 0; j < roleletters.size() && r == 0; ++j)
      if (field.find(roleletters[j]) != std::string::npos) r = static_cast<int>(j) + 1;
    if (r != 0) {
      rolefield[r] = k;
      if (r == user && title) {
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
  if (u.title) {
    // Titles come blank-padded.
    std::string_view t = *u.title;
    while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
    u.title = t;
  }
  if (u.layout) buildlayout(*u.layout, u.title);
  if (u.title) settitle(*u.title);
  if (u.message && rolefield[user] != 0) setfield(rolefield[user], *u.message);
  if (u.line && rolefield[line] != 0) setfield(rolefield[line], sixdigits(*u.line));
  if (u.column && rolefield[column] != 0) setfield(rolefield[column], sixdigits(*u.column));
  if (u.character && rolefield[character] != 0) {
    const auto c = static_cast<unsigned char>(*u.character);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%c %03u/%02X", static_cast<char>(c), c, c);
    setfield(rolefield[character], std::string_view(buf, 8));
  }
  if (u.mode && rolefield[overwrite] != 0) setfield(rolefield[overwrite], *u.mode);
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
  statuslayout = 1;
}

}  // namespace ide
