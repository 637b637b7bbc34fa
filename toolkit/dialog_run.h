// Dialogs from item arrays: the in-memory template (an extended dialog
// template: one header, one record per item, each on a 4-byte boundary,
// texts as wide strings) and the dialog's run, modal or modeless, with the
// toolkit's dialog procedure and a window record of its own; the list of
// open modeless dialogs.
#pragma once

#include <cstddef>
#include <cstdint>

#include "toolkit/dialog_item.h"
#include "toolkit/records.h"

namespace toolkit {

// A template being written. It grows before every write, so the size
// estimate only sets its first capacity.
struct dialog_template_t {
  unsigned char* base = nullptr;  // owned until the run
  std::size_t capacity = 0;
  std::size_t used = 0;  // the write position
};
void FREE_DIALOG_TEMPLATE(dialog_template_t& dialog_template);

// The class of an item type: an atom of the system's controls, else a
// name ("" for a type without class).
struct item_class_t {
  int atom = 0;
  const char* name = "";
};
item_class_t DIALOG_ITEM_CLASS(int type);
// The class name of a type, atoms' classes by name too (for controls made
// outside a template).
const char* DIALOG_ITEM_CLASS_NAME(int type);
// The length of the class name the item's record carries, 0 for an atom.
int DIALOG_ITEM_CLASS_LENGTH(const dialog_t& item);

// Starts the template: the estimate grows by the font block's size, the
// header is written (style: the caller's, else 0x80C80084 modal and
// 0x90C80004 modeless; DS_SETFONT exactly when a font is given) and its
// end, where the first item goes, is returned: 0 on failure ("Invalid font
// in DIALOG_BOX"). A position given as fractions of the owner's client area
// (the desktop's without owner) is turned into dialog units of the font.
std::size_t BUILD_DIALOG_HEADER(const char* title, int title_length, const float* x_fraction,
                                const float* y_fraction, const int* x, const int* y,
                                const int& width, const int& height, const int& item_count,
                                int& size_estimate, dialog_template_t& dialog_template,
                                const int& modeless, const win::HWND* owner,
                                const win::DWORD* style, const win::HFONT* font, int* ups);
// Appends one item's record; the new write position.
std::size_t BUILD_DIALOG_TEMPLATE(const dialog_t& item, dialog_template_t& dialog_template);

// Runs the dialog and releases the template: the dialog window of a
// modeless dialog, the value a modal one ended with, 0 on failure ("Cannot
// open this dialog box", "Fenstra Error: No dialog windowdata").
win::INT_PTR RUN_DIALOG(dialog_template_t& dialog_template, win::HWND& owner, dialog_t* items,
                        int& count, int& modeless, const win::HBRUSH* brush,
                        const win::COLORREF* text_colour, const win::HFONT* font,
                        changed_callback changed, int* ups);

// The items of a dialog are being freed: no window (the dialog, a grid
// among its items) keeps its way to them; such a window's messages find no
// item from then on.
void FORGET_DIALOG_ITEMS(const dialog_t* items);

void ADD_MODELESS_DIALOG(win::HWND window);
int IS_MODELESS_DIALOG(win::HWND window);
void REMOVE_MODELESS_DIALOG(win::HWND window);

// Forgets the modeless dialogs and the edit and combo-box subclassing, and
// drops the dialog brushes. For tests.
void reset_dialogs();

}  // namespace toolkit
