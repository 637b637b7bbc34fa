// Menus of child windows and popup menus, built from one menu text: items
// ended by a separator character (or a line end), "Title:" starting the
// sub-menu of the item titled so, an item's type (grayed, checked, new
// column) written as a number before its title or given by MenuTypes.
// Item n sends the command 31000 + n; a blank item is a dividing line and a
// parent of a sub-menu sends nothing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "exec/windowlist.h"

namespace ui {

// A menu text taken apart. Items are numbered from 1 in text order; the
// items before the first header are the top level, all later ones belong
// to sub-menus, each a run of consecutive items with its parent item.
struct MenuText {
  struct Item {
    std::string title;
    std::int32_t type = -1;     // the type written before the title; -1 none
    std::int32_t start = 0;     // where the item starts in the text (0-based)
    std::int32_t end = 0;       // one past its last character
    std::int32_t submenu = -1;  // index in `submenus` of its sub-menu; -1 none
  };
  struct Submenu {
    std::int32_t parent = 0;  // item number
    std::int32_t first = 0;   // number of its first item
    std::int32_t count = 0;
  };
  std::vector<Item> items;
  std::int32_t toplevel = 0;
  std::vector<Submenu> submenus;
};

// The separator of a menu text: looking back from its end past trailing
// blanks, the last character that is no name character. A blank or none
// gives "|" and the text stays whole; otherwise the text ends with its
// separator, which is taken off (its last non-blank character, whatever it
// is: "File|Open" becomes "File|Ope").
char menuseparator(std::string_view text, std::string_view& shortened);
// Splits a menu text (trimmed, at least two characters) at the separator;
// "" when done, else the key of the failure ("childNoDAD": a header whose
// title names no earlier item standing whole in the text, or one nested
// too deep).
std::string_view splitmenu(std::string_view text, char separator, MenuText& out);

// The menu flags of a type value: 1 grayed, 2 checked, 4 new column, 8 new
// column with a dividing line.
std::int32_t OPTION_INTERNAL(std::int32_t type);

// The subroutine named like the variable `sym` (upper-cased): its symbol;
// 0 for an operand that is no variable of the script, -1 when there is no
// such subroutine.
std::int32_t menusubroutine(std::int32_t sym);
// Builds the record's menu arrays (`menuitems`, `popupitems`) from the
// menu text of the operand `menusym`, the item types from `typessym` (an
// array or a scalar; 0 none). For a variable of the script, its name must
// also name a subroutine, which goes into `handlerrecord`'s popup handler
// (`popup`) or menu handler. "" when built, else the message key.
std::string_view MAKEMENUS1(exec::wdwrec& record, exec::wdwrec* handlerrecord, bool popup,
                            std::int32_t menusym, std::int32_t typessym);
// The same from a text that is no variable's (no handler).
std::string_view MAKEMENUS2(exec::wdwrec& record, std::string_view text, std::int32_t typessym);
// Frees the record's menu arrays, taking their menus and accelerators down.
void freemenus(exec::wdwrec& record);
// Item n (from 1) of the record's menu, null when there is none.
toolkit::menu_item_t* menuitem(exec::wdwrec& record, std::int32_t n);
// Sets the grayed and checked state of the record's items 1 up to the
// length of the array `typessym` from its elements; a scalar or none
// changes nothing.
void UPDATEMENU(exec::wdwrec& record, std::int32_t typessym);

}  // namespace ui
