// The program's one accelerator table and the list it is made from. The
// list starts with the built-in Ctrl+Shift+R for the Tools dialog (command
// 0x4003); menu items add the accelerators written in their texts
// ("CTRL+S", "Alt+F4") while a menu is built and remove them when it is
// torn down. No entry is stored twice.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/win_menu.h"

namespace toolkit {

struct menu_item_t;

inline constexpr int kToolsCommand = 0x4003;

inline std::vector<win::ACCEL> accelerator_list;
// The table the message loops translate keys through; null when none.
inline win::HACCEL accelerator_table = nullptr;

// Creates the list with its built-in entry when it does not exist yet.
void prepare_accelerator_list();

// Parses an accelerator text (modifiers CTRL or CNTRL, ALT, SHIFT joined by
// "+", then a letter, a digit or F1 to F24) into an entry for the command.
// An invalid text is reported with the item's title and its position path
// ("Invalid accelerator for:", "Invalid accelerator key for:"); the result
// is then false.
bool PARSE_ACCELERATOR(std::string_view text, win::ACCEL& entry, win::UINT_PTR command,
                       const menu_item_t& item, int path, int* ups);
// The 1-based place of an identical entry in the list, 0 when none.
int FIND_ACCELERATOR(const win::ACCEL& entry);
void REMOVE_ACCELERATOR(const win::ACCEL& entry);
// Replaces the accelerator table by one made of the first `count` entries
// (none for 0).
void CREATE_ACCELERATOR_TABLE(const win::ACCEL* entries, int count, int* ups);

// " in menu item: n" and " of menu item: n" for each higher level of a
// position path (six bits a level, the innermost lowest).
std::string position_path_text(int path);

// Empties the list and destroys the table. For tests.
void reset_accelerators();

}  // namespace toolkit
