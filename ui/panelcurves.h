// Curves of a panel's axes. An axis's "X" mark with a data letter is its x
// data item, a "Y" mark with a data letter a curve; the binding group whose
// separator is that letter gives them their variable: the element the
// mark's number names (from 1), or for number 0 the whole array: the x
// vector of the axis, or a curve drawn as a history of that many values.
// Each redraw adds a plain curve's point (the axis's first x value, the
// element's value) to its line; a history draws its snapshots of as many
// points as the x vector has, the newest in the curve's colour, the older
// ones fading to the axis's background, and moves each one place older.
#pragma once

#include <cstdint>

#include "exec/windowlist.h"
#include "ui/panel.h"
#include "ui/panelaxes.h"

namespace ui {

// The numeric variable of a binding group (sym; an array of length
// elements, or a scalar) given to every x item and curve whose letter is
// the separator. False with "pnlNoindx" for a number outside the variable.
bool bindpanelcurves(panelrec* head, char separator, std::int32_t sym, bool array,
                     std::int32_t length);
// The curves' colours from their style words and their axes' background
// colours (records of one variable share them), each curve starting a new
// line; the curves' drawing is kept in the panel's own engine from the
// plot engine's curves of their numbers. False with "pnlnoX" (the axis
// number in the status) when a curve's axis has no x vector.
bool preparepanelcurves(panelrec* head, const PanelAxes& axes, PanelEngine& own);
// Draws curve p of the panel whose first record is head into the window's
// bitmap. False with "pnlvecReq" (the axis number in the status) for a
// history whose x vector has no values.
bool drawpanelcurve(exec::wdwrec& r, const panelrec* head, const panelrec& p);

}  // namespace ui
