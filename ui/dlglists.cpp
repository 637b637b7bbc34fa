// The entries of list and combo boxes (from a file, a chapter of the help
// file, a block of the script, or a separated text) and the list item.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/chars.h"
#include "core/editbuffer.h"
#include "core/helpdata.h"
#include "core/messages.h"
#include "exec/appendix.h"
#include "exec/windowwords.h"
#include "platform/file_names.h"
#include "plot/fonthelpers.h"
#include "ui/dialogs.h"
#include "ui/dialogwords.h"
#include "ui/dlgbuild.h"
#include "ui/itemset.h"

namespace ui {

namespace {

constexpr std::size_t entrylength = 127;
constexpr std::size_t mostlines = 99999;

std::string withoutleadingblanks(std::string_view s) {
  const std::size_t a = s.find_first_not_of(' ');
  return a == std::string_view::npos ? std::string() : std::string(s.substr(a));
}

std::string entry(std::string_view s) {
  std::string e = withoutleadingblanks(s.substr(0, std::min(s.size(), entrylength)));
  while (!e.empty() && (e.back() == ' ' || e.back() == '\r')) e.pop_back();
  return e;
}

// The lines of a file; false when it cannot be read.
bool filelines(const std::string& name, std::vector<std::string>& out) {
  std::ifstream in(plat::system_path(name), std::ios::binary);
  if (!in) return false;
  std::string line;
  while (out.size() < mostlines && std::getline(in, line)) out.push_back(entry(line));
  return !in.bad();
}

// The lines of the chapter of the help file that the text names.
bool chapterlines(std::string_view key, std::vector<std::string>& out) {
  core::helpkey.set(key);
  core::helpkeylen = static_cast<std::int32_t>(std::min<std::size_t>(key.size() + 1, 256));
  int found = 0, lastline = 0, bodylen = 0, width = 0;
  std::array<char, 256> line{};
  core::GETMENUDATA(core::menuunit, found, lastline, bodylen, width, line);
  if (found == 0) return false;
  // A file other than the help data file is read on: the chapter ends at
  // its last line, not at the file's end.
  const std::size_t most =
      core::menuunit == core::helpunit
          ? mostlines
          : std::min<std::size_t>(static_cast<std::size_t>(std::max(lastline - found, 0)),
                                  mostlines);
  int entry_ = core::helpentry, position = core::helppos;
  while (out.size() < most && core::GETMENULINE(line, entry_, position) == 0)
    out.push_back(entry(std::string_view(line.data(), line.size())));
  return true;
}

// The body lines of the script's block that the text names.
bool blocklines(std::string_view name, std::vector<std::string>& out) {
  std::int32_t first = 0, last = 0;
  exec::MENUA_E(name, first, last);
  if (first <= 0) return false;
  for (std::int32_t l = first; l <= last && out.size() < mostlines; ++l)
    out.push_back(entry(core::linetext(l)));
  return true;
}

}  // namespace

std::vector<std::string> listentries(std::string_view text) {
  std::vector<std::string> out;
  const std::size_t end = text.find_last_not_of(' ');
  if (end == std::string_view::npos) return out;
  text = text.substr(0, end + 1);
  // The separator: the last character that is no name character (blanks
  // passed over); a line feed after a carriage return makes the pair.
  std::size_t at = std::string_view::npos;
  for (std::size_t i = text.size(); i-- > 0;)
    if (text[i] != ' ' && !core::is_namechar(text[i])) {
      at = i;
      break;
    }
  if (at == std::string_view::npos) {
    if (text.size() <= 1 || text.find(' ') == std::string_view::npos) return out;
    std::size_t i = 0;
    while (i < text.size()) {
      const std::size_t blank = text.find(' ', i);
      const std::size_t stop = blank == std::string_view::npos ? text.size() : blank;
      if (stop > i) out.push_back(entry(text.substr(i, stop - i)));
      i = stop + 1;
    }
    return out;
  }
  const auto code = static_cast<unsigned char>(text[at]);
  if (code >= 1 && code <= 8) {
    const std::string whole = std::string(text.substr(0, at)) + std::string(text.substr(at + 1));
    for (std::size_t i = 0; i < whole.size(); i += code)
      out.push_back(entry(whole.substr(i, code)));
    return out;
  }
  std::string_view sep = text.substr(at, 1);
  if (text[at] == '\n' && at > 0 && text[at - 1] == '\r') sep = "\r\n";
  std::size_t i = 0;
  for (;;) {
    const std::size_t next = text.find(sep, i);
    if (next == std::string_view::npos) {
      if (i < text.size()) out.push_back(entry(text.substr(i)));
      break;
    }
    out.push_back(entry(text.substr(i, next - i)));
    i = next + sep.size();
    if (i >= text.size()) break;  // a separator at the very end
  }
  return out;
}

void MODIFYITEMLIST(std::int32_t& status, bool dlgcall) {
  status = 0;
  exec::ctlrec* c = exec::ctlcur;
  toolkit::dialog_t* it = build::item();
  if (c == nullptr || it == nullptr) return;
  const std::string name(staged.text.trimmed());
  std::vector<std::string> entries;
  std::error_code ec;
  const bool named = !name.empty();
  if (named && builder.helpfile && chapterlines(name, entries)) {
  } else if (named && std::filesystem::is_regular_file(plat::system_path(name), ec)) {
    if (!filelines(name, entries)) return build::refuse(status, core::MSGKEY("dlgLBempty"), name);
  } else if (named && blocklines(name, entries)) {
  } else {
    entries = listentries(staged.listtext);
  }
  c->ctllist.assign(entries.size(), plat::FixedText<127>{});
  std::int32_t widest = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    c->ctllist[i].set(entries[i]);
    widest = std::max(widest, build::textunits(entries[i]));
  }
  builder.widestentry = widest;
  const bool combo = staged.keyword == dk("ComBobox");
  std::uint32_t winstyle = 0x10000 | 0x200000 | (combo ? 0x40 | 2 : 0);
  const build::Measures m = build::measures();
  auto rows = static_cast<std::int32_t>(entries.size());
  if (m.ch * (rows + 6) > m.sh - builder.y / 8) {
    rows = std::max((m.sh - builder.y / 8) / m.ch - 6, 1);
    builder.winstyle |= 0x200000;
  }
  builder.listrows = rows;
  const toolkit::text_array_t list{
      c->ctllist.empty() ? nullptr : c->ctllist.front().data(), static_cast<int>(entrylength),
      static_cast<int>(c->ctllist.size()), static_cast<int>(entrylength)};
  if (staged.number != 0) {
    toolkit::SET_ITEM_LIST(*it, list, nullptr);
    return;
  }
  ItemSet a;
  a.type = combo ? toolkit::DLG_COMBOBOX : toolkit::DLG_LISTBOX;
  a.options = builder.style | (builder.modeless ? 0 : toolkit::kOptionDoubleClickProbe);
  a.id = staged.itemid;
  a.value = 1;
  a.x = builder.x;
  a.y = builder.y;
  // A combo box leaves room for its arrow beside the widest entry.
  const std::int32_t arrow =
      combo ? 4 * std::max(exec::sysmetrics(exec::metric::vscrollwidth), 0) / std::max(m.cw, 1) : 0;
  const std::int32_t width = std::max(widest, 4) + arrow;
  a.width = width;
  a.height = rows * 8 + 16;
  a.list = &list;
  a.proc = WINDLGCHPROC;
  a.winstyle = winstyle;
  setitem(*it, a);
  build::commonending(dlgcall, width, false);
}

}  // namespace ui
