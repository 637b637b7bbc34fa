#include "ui/childmenus.h"

#include <algorithm>
#include <cctype>

#include "core/chars.h"
#include "core/editbuffer.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/appendix.h"
#include "toolkit/menus.h"
#include "ui/childwords.h"

namespace ui {

namespace {

constexpr char cr = '\r';
constexpr char lf = '\n';
constexpr std::int32_t subroutinetype = 4;
constexpr std::int32_t separatorflag = 0x800;
// The state bits of a menu item: 1 grayed, 8 checked.
constexpr std::int32_t grayedstate = 0x1;
constexpr std::int32_t checkedstate = 0x8;
// Sub-menus nest at most this deep.
constexpr std::int32_t mostlevels = 16;

std::string_view trimmed(std::string_view s) {
  const std::size_t a = s.find_first_not_of(' ');
  if (a == std::string_view::npos) return {};
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

std::string_view trimright(std::string_view s) {
  const std::size_t e = s.find_last_not_of(' ');
  return e == std::string_view::npos ? std::string_view() : s.substr(0, e + 1);
}

// An item's type and title: a number of up to three digits at its start
// followed by more text is its type.
MenuText::Item item(std::string_view text, std::int32_t start, std::int32_t end) {
  MenuText::Item it;
  it.start = start;
  it.end = end;
  const std::string_view raw = text.substr(static_cast<std::size_t>(start),
                                           static_cast<std::size_t>(std::max(end - start, 0)));
  std::size_t digits = 0;
  while (digits < 3 && digits < raw.size() && std::isdigit(static_cast<unsigned char>(raw[digits])))
    ++digits;
  if (digits > 0 && digits < raw.size()) {
    it.type = std::stoi(std::string(raw.substr(0, digits)));
    it.title = std::string(raw.substr(digits));
  } else {
    it.title = std::string(raw);
  }
  return it;
}

// The first place where the title stands as a whole item: after the start
// of the text or of a line, a blank, a colon or the separator, and before
// the separator or a carriage return; npos when none.
std::size_t wholeitem(std::string_view text, std::string_view title, char sep) {
  if (title.empty()) return std::string_view::npos;
  for (std::size_t p = text.find(title); p != std::string_view::npos; p = text.find(title, p + 1)) {
    const char before = p == 0 ? ' ' : text[p - 1];
    const std::size_t after = p + title.size();
    if (before != ' ' && before != ':' && before != sep && before != lf) continue;
    if (after < text.size() && (text[after] == sep || text[after] == cr)) return p;
  }
  return std::string_view::npos;
}

// Where a text block of the script named so lies in the editor's text: its
// lines after the head line, without the last line end; false when there
// is no such block.
bool blocktext(std::string_view name, std::string& out) {
  std::int32_t first = 0, last = 0, start = 0, end = 0;
  if (!exec::FINDAPPENDIXBLOCK(name, first, last, start, end)) return false;
  const std::int32_t top = std::min<std::int32_t>(end, core::c1editend);
  std::int32_t p = start;
  while (p <= top && core::c1edit(p) != lf) ++p;
  out.clear();
  for (++p; p <= top; ++p) out += core::c1edit(p);
  while (!out.empty() && (out.back() == lf || out.back() == cr)) out.pop_back();
  return true;
}

// The item types: the type written in the text, else the element of the
// MenuTypes array (its last one past its end), else its scalar, else 0.
std::int32_t typeof(const MenuText::Item& it, const Numbers& types, std::int32_t n) {
  if (it.type >= 0) return it.type;
  if (types.count < 1) return 0;
  return nint(types.at(types.array ? n : 1));
}

// Fills the record's arrays from the menu text.
void MAKEMENUS3(exec::wdwrec& record, const MenuText& m, const Numbers& types) {
  // A sub-menu without items still is one: an empty array's stand-in.
  static toolkit::menu_item_t noitems;
  const auto total = static_cast<std::int32_t>(m.items.size());
  const std::int32_t top = m.toplevel;
  record.menuitems.resize(static_cast<std::size_t>(top));
  record.popupitems.resize(static_cast<std::size_t>(total - top));
  for (std::int32_t n = 1; n <= total; ++n) {
    const MenuText::Item& it = m.items[static_cast<std::size_t>(n - 1)];
    toolkit::menu_item_t& slot = n <= top ? record.menuitems(n) : record.popupitems(n - top);
    std::int32_t flags = OPTION_INTERNAL(typeof(it, types, n));
    const auto length = static_cast<int>(it.title.size());
    if (it.submenu >= 0) {
      const MenuText::Submenu& s = m.submenus[static_cast<std::size_t>(it.submenu)];
      toolkit::menu_item_t* first = s.count > 0 ? &record.popupitems(s.first - top) : &noitems;
      toolkit::SET_MENU_ITEM(slot, it.title.data(), length, nullptr, 0, nullptr, 0, first, s.count,
                             nullptr, &flags);
    } else if (trimmed(it.title).empty()) {
      flags |= separatorflag;
      toolkit::SET_MENU_ITEM(slot, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, &flags);
    } else {
      // Items past the ones the window list takes send nothing.
      const win::UINT_PTR id = n <= mostmenuitems ? static_cast<win::UINT_PTR>(childmenuid + n) : 0;
      toolkit::SET_MENU_ITEM(slot, it.title.data(), length, nullptr, 0, nullptr, 0, nullptr, 0, &id,
                             &flags);
    }
  }
}

}  // namespace

char menuseparator(std::string_view text, std::string_view& shortened) {
  const std::string_view t = trimright(text);
  shortened = t;
  std::size_t at = std::string_view::npos;
  for (std::size_t i = t.size(); i-- > 0;) {
    if (!core::is_namechar(t[i])) {
      at = i;
      break;
    }
  }
  if (at == std::string_view::npos || t[at] == ' ') return '|';
  shortened = t.substr(0, t.size() - 1);
  return t[at];
}

std::string_view splitmenu(std::string_view text, char sep, MenuText& out) {
  out = MenuText{};
  const auto n = static_cast<std::int32_t>(text.size());
  struct Header {
    std::string title;
    std::int32_t firstitem = 0;
  };
  std::vector<Header> headers;
  std::int32_t start = 0;
  bool linestart = true;
  auto close = [&](std::int32_t end) { out.items.push_back(item(text, start, end)); };
  // The open level's item count: the top level's, or the last sub-menu's.
  auto closelevel = [&] {
    const auto count = static_cast<std::int32_t>(out.items.size());
    if (headers.empty())
      out.toplevel = count;
    else
      out.submenus.back().count = count - out.submenus.back().first + 1;
  };
  // The first character always belongs to the first item.
  for (std::int32_t i = 1; i < n; ++i) {
    const char c = text[static_cast<std::size_t>(i)];
    const char before = text[static_cast<std::size_t>(i - 1)];
    if (c == ' ' && linestart) {
      start = i + 1;
    } else if (c == cr) {
      // A line that ends with the separator, or a header line, has ended
      // its item already.
      if (before != sep && before != ':') close(i);
      start = i + 1;
      linestart = true;
    } else if (c == lf) {
      start = i + 1;
      linestart = true;
    } else if (c == sep) {
      close(i);
      start = i + 1;
      linestart = false;
    } else if (c == ':') {
      closelevel();
      const std::string_view t = text.substr(static_cast<std::size_t>(start),
                                             static_cast<std::size_t>(std::max(i - start, 0)));
      headers.push_back(
          {std::string(trimright(t)), static_cast<std::int32_t>(out.items.size()) + 1});
      out.submenus.push_back({0, headers.back().firstitem, 0});
      start = i + 1;
      linestart = false;
    } else {
      linestart = false;
    }
  }
  // The last item ends with the text; a text that ends with a separator or
  // a line end has no further item.
  if (start < n) close(n);
  closelevel();
  // Each header's parent: an item before the header's own items, so that no
  // sub-menu can hold its own parent, and no deeper than the menus nest.
  std::vector<std::int32_t> depth(out.items.size(), 0);
  for (std::size_t h = 0; h < headers.size(); ++h) {
    const std::size_t p = wholeitem(text, headers[h].title, sep);
    std::int32_t parent = 0;
    if (p != std::string_view::npos) {
      for (std::size_t k = 0; k < out.items.size(); ++k) {
        const MenuText::Item& it = out.items[k];
        if (static_cast<std::int32_t>(p) >= it.start && static_cast<std::int32_t>(p) < it.end) {
          parent = static_cast<std::int32_t>(k) + 1;
          break;
        }
      }
    }
    if (parent < 1 || parent >= headers[h].firstitem) return childkeys::noparent;
    const std::int32_t level = depth[static_cast<std::size_t>(parent - 1)] + 1;
    if (level > mostlevels) return childkeys::noparent;
    const MenuText::Submenu& sub = out.submenus[h];
    for (std::int32_t k = sub.first; k < sub.first + sub.count; ++k)
      depth[static_cast<std::size_t>(k - 1)] = level;
    out.submenus[h].parent = parent;
    out.items[static_cast<std::size_t>(parent - 1)].submenu = static_cast<std::int32_t>(h);
  }
  return {};
}

std::int32_t OPTION_INTERNAL(std::int32_t type) {
  std::int32_t flags = 0;
  if ((type & 1) != 0) flags |= 0x1;
  if ((type & 2) != 0) flags |= 0x8;
  if ((type & 4) != 0) flags |= 0x40;
  if ((type & 8) != 0) flags |= 0x20;
  return flags;
}

std::string_view MAKEMENUS2(exec::wdwrec& record, std::string_view text, std::int32_t typessym) {
  std::string_view shortened;
  const char sep = menuseparator(text, shortened);
  std::string block;
  if (shortened.find(sep) == std::string_view::npos) {
    // The name of a text block of the script.
    if (blocktext(trimmed(shortened), block)) shortened = block;
  }
  const std::string_view t = trimmed(shortened);
  if (t.size() < 2) return childkeys::nomenuitem;
  MenuText m;
  const std::string_view key = splitmenu(t, sep, m);
  if (!key.empty()) return key;
  freemenus(record);
  MAKEMENUS3(record, m, numbersof(typessym));
  return {};
}

std::int32_t menusubroutine(std::int32_t sym) {
  if (sym <= 0 || sym >= core::iresult) return 0;
  std::string nm(core::symbolname(sym));
  for (char& c : nm) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::int32_t sub = 0;
  if (nm.empty() || !core::FINDSN(nm, sub, subroutinetype) || sub < 1) return -1;
  return sub;
}

std::string_view MAKEMENUS1(exec::wdwrec& record, exec::wdwrec* handlerrecord, bool popup,
                            std::int32_t menusym, std::int32_t typessym) {
  const std::int32_t sub = menusubroutine(menusym);
  if (sub < 0) return childkeys::nomenusub;
  if (sub > 0 && handlerrecord != nullptr)
    (popup ? handlerrecord->popuphandler : handlerrecord->menuhandler) = sub;
  std::string text;
  if (!operandtext(menusym, text)) return childkeys::nomenuitem;
  return MAKEMENUS2(record, text, typessym);
}

void freemenus(exec::wdwrec& record) {
  int ups = 0;
  if (record.menuitems.size() > 0)
    toolkit::BUILD_ACCELERATORS(record.menuitems.data(), static_cast<int>(record.menuitems.size()),
                                &ups);
  record.menuitems.clear();
  record.popupitems.clear();
}

toolkit::menu_item_t* menuitem(exec::wdwrec& record, std::int32_t n) {
  const auto top = static_cast<std::int32_t>(record.menuitems.size());
  if (record.menuitems.valid(n)) return &record.menuitems(n);
  if (record.popupitems.valid(n - top)) return &record.popupitems(n - top);
  return nullptr;
}

void UPDATEMENU(exec::wdwrec& record, std::int32_t typessym) {
  const Numbers types = numbersof(typessym);
  if (!types.array) return;
  int ups = 0;
  for (std::int32_t n = 1; n <= types.count; ++n) {
    toolkit::menu_item_t* it = menuitem(record, n);
    if (it == nullptr) break;
    // Dividing lines and parents have no state of their own.
    if (it->has_submenu != 0 || it->command != static_cast<win::UINT_PTR>(childmenuid + n))
      continue;
    const std::int32_t v = nint(types.at(n));
    const int state = ((v & 1) != 0 ? grayedstate : 0) | ((v & 2) != 0 ? checkedstate : 0);
    toolkit::UPDATE_MENU_ITEM(*it, state, &ups);
  }
  if (record.window != nullptr) toolkit::DRAW_MENU_BAR(record.window);
}

}  // namespace ui
