// A section of the keyed text shown in a several-line edit: the help
// window's topics and messages whose section is no item list.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "core/helpdata.h"
#include "plot/fonthelpers.h"
#include "ui/dialogs.h"
#include "ui/dialogwords.h"
#include "ui/dlgbuild.h"
#include "ui/itemset.h"

namespace ui::build {

namespace {

constexpr std::size_t mostlines = 2000;
constexpr std::uint32_t multiline = 0x4;
constexpr std::uint32_t readonly = 0x800;
constexpr std::uint32_t tabstop = 0x10000;
constexpr std::uint32_t vscroll = 0x200000;
constexpr std::int32_t lineheight = 8;
constexpr std::int32_t spare = 16;  // lines of the screen the edit leaves free

}  // namespace

bool sectionedit() {
  exec::ctlrec* c = exec::ctlcur;
  const std::string key(staged.text.trimmed());
  if (c == nullptr || key.empty()) return false;
  core::helpkey.set(key);
  core::helpkeylen = static_cast<std::int32_t>(std::min<std::size_t>(key.size() + 1, 256));
  int found = 0, lastline = 0, bodylen = 0, width = 0;
  std::array<char, 256> line{};
  core::GETMENUDATA(core::menuunit, found, lastline, bodylen, width, line);
  if (found == 0) return false;
  // (Another file than the help data file is read on: its section ends at
  // its last line.)
  const std::size_t body =
      core::menuunit == core::helpunit
          ? mostlines
          : std::min<std::size_t>(static_cast<std::size_t>(std::max(lastline - found, 0)),
                                  mostlines);
  std::vector<std::string> lines;
  int entry = core::helpentry, position = core::helppos;
  while (lines.size() < body && core::GETMENULINE(line, entry, position) == 0) {
    std::string_view l(line.data(), line.size());
    l = l.substr(0, std::min(l.find_last_not_of(' ') + 1, l.size()));
    lines.emplace_back(l);
  }
  const Measures m = measures();
  bool cut = false;
  const auto fits = static_cast<std::size_t>(std::max(m.sh / std::max(m.ch, 1) - spare, 1));
  if (static_cast<std::int64_t>(lines.size() + spare) * m.ch > m.sh && lines.size() > fits) {
    lines.resize(fits);
    cut = true;
  }
  std::string text;
  std::int32_t widest = 0;
  for (const std::string& l : lines) {
    text += l + "\n";
    widest = std::max(widest, plot::GETTEXTWIDTH(l));
  }
  widest = (widest + 7) / 8 * 8;
  c->ctlkind = ck::edit | ck::character;
  SET_DIALOG_ITEM_BUFFERED('E', text, static_cast<std::int32_t>(text.size()));
  if (toolkit::dialog_t* it = item()) {
    ItemSet a;
    // The text is read, not typed into: it opens at its first line with
    // nothing selected, as a read-only field of several lines does.
    a.winstyle = it->window_style | multiline | readonly | (builder.itemcount > 1 ? tabstop : 0) |
                 (cut ? vscroll : 0);
    a.height = lineheight * static_cast<std::int32_t>(std::max<std::size_t>(lines.size(), 1));
    a.modify = true;
    setitem(*it, a);
  }
  staged.length = -(widest + 3);
  commonending(false, 0, false);
  return true;
}

}  // namespace ui::build
