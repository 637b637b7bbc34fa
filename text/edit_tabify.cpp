// TabiFyfont: column gaps of blanks become tabs that make the columns line
// up when the text is drawn with the default tab stops in the current
// window's font. A gap is the first pair of blanks of a range's text
// (trailing blanks removed). The first run measures the widest column of
// every range up to its first gap; each later run turns the next gap of
// every range into as many tabs as bring it to the widest of the run
// before, and measures the next gap, until no range has a gap left.
#include <algorithm>
#include <string>

#include "core/chars.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "exec/windowlist.h"
#include "plot/fontslots.h"
#include "plot/upcalls.h"
#include "text/edit_state.h"
#include "toolkit/draw_targets.h"
#include "toolkit/fonts.h"
#include "toolkit/records.h"

namespace text {

namespace {

constexpr std::int32_t maxtries = 1001;
constexpr char tab = '\t';

// The device the widths are measured on: the current window's backing
// bitmap (the screen for a window without one) with the window's font.
struct Measuring {
  bool open = false;
  toolkit::draw_target_t target;
  win::HDC screen = nullptr;
  win::HFONT own = nullptr;  // a font made only for measuring
  win::HGDIOBJ before = nullptr;
  win::HDC dc() const { return screen != nullptr ? screen : target.dc; }
};
Measuring measuring;

bool startmeasuring() {
  Measuring& m = measuring;
  m = Measuring{};
  exec::wdwrec* w = exec::wdwcur;
  int ups = 0;
  if (w != nullptr && w->bitmap != nullptr)
    toolkit::START_BITMAP_DRAW(&w->bitmap, nullptr, nullptr, m.target, &ups);
  if (m.target.marker != toolkit::kMarker) m.screen = win::GetDC(nullptr);
  if (m.dc() == nullptr) return false;
  const std::int32_t slot = w != nullptr && plot::fontslots.valid(w->fontslot) ? w->fontslot : 2;
  const plot::FontSlot& f = plot::fontslots(slot);
  win::HFONT font = f.font;
  if (font == nullptr) {
    const std::string face(f.face.trimmed());
    const int points = f.points > 0 ? f.points : 9, italic = f.italic != 0 ? 1 : 0,
              underline = f.underline != 0 ? 1 : 0, none = 0, bold = f.weight > 600 ? 1 : 0;
    m.own = toolkit::DEFINE_FONT(nullptr, face.data(), static_cast<int>(face.size()), &points,
                                 &italic, &underline, &none, &bold, nullptr, nullptr, &ups);
    font = m.own;
  }
  if (font != nullptr) m.before = win::SelectObject(m.dc(), font);
  m.open = true;
  return true;
}

// The pixel width of the first count characters, tabs expanded.
std::int32_t tabbedwidth(const std::string& s, std::int32_t count) {
  return plot::upcalls.GETTABBEDTEXTWIDTH(measuring.dc(), s, count);
}

// The current range's text (at most 1536 characters) without its trailing
// blanks, and the offset of its first pair of blanks (npos: none).
std::string rangetext(const EditState& e, std::size_t& gap) {
  std::string s;
  const std::int32_t from = std::max(e.rbeg, e.first);
  const std::int32_t to = std::min({e.rend, e.last, from + maxpattern - 1});
  for (std::int32_t p = from; p <= to; ++p) s += core::c1namen(p);
  s.resize(static_cast<std::size_t>(core::C1LEN_TRIM(s)));
  gap = s.find("  ");
  return s;
}

// The range's width up to and including its first gap, the gap's first
// blank taken as a tab; 0 without a gap.
std::int32_t COLPXLWIDTHPLUSTAB(const EditState& e) {
  std::size_t gap = 0;
  std::string s = rangetext(e, gap);
  if (gap == std::string::npos) return 0;
  s[gap] = tab;
  return tabbedwidth(s, static_cast<std::int32_t>(gap + 1));
}

// The range's first gap made the tabs that reach the target width.
void settabs(EditState& e) {
  std::size_t gap = 0;
  const std::string s = rangetext(e, gap);
  if (gap == std::string::npos) return;
  std::string prefix = s.substr(0, gap);
  std::int32_t m = 1;
  for (; m <= maxtries; ++m) {
    prefix += tab;
    if (tabbedwidth(prefix, static_cast<std::int32_t>(prefix.size())) >= e.tabtarget) break;
  }
  // The string keeps its length: more tabs than the pair of blanks takes
  // only the blanks at its end, and never pushes text off it (the column
  // then stands short of the others rather than lose characters).
  const std::int32_t used =
      core::C1LEN_TRIM(core::c1view(core::c1namen.ptr(e.first), e.last - e.first + 1));
  m = std::min(m, 2 + (e.last - e.first + 1 - used));
  e.pos = std::max(e.rbeg, e.first) + static_cast<std::int32_t>(gap);
  MAKEREPLACESPACE(e, m - 2);
  for (std::int32_t i = 0; i < m && e.pos + i <= e.last; ++i) core::c1namen(e.pos + i) = tab;
}

}  // namespace

Flow tabify(EditState& e) {
  if (plot::upcalls.GETTABBEDTEXTWIDTH == nullptr) {
    plot::upcallmissing();
    return Flow::stop;
  }
  if (e.tabpass == 0) {
    if (!startmeasuring()) {
      core::msgkey.set(core::MSGKEY("notYetBuilt"));
      return Flow::stop;
    }
    e.widest = 0;
    e.tabpass = 1;
  }
  if (e.tabpass == 2) settabs(e);
  e.widest = std::max(e.widest, COLPXLWIDTHPLUSTAB(e));
  return Flow::next;
}

bool tabifyagain(EditState& e) {
  if (e.tabpass == 1) {
    e.tabpass = 2;
  } else if (e.tabpass != 2 || e.widest <= 0) {
    return false;
  }
  e.tabtarget = e.widest;
  e.widest = 0;
  return true;
}

void tabifyend() {
  Measuring& m = measuring;
  if (!m.open) return;
  if (m.before != nullptr) win::SelectObject(m.dc(), m.before);
  if (m.own != nullptr) win::DeleteObject(m.own);
  if (m.screen != nullptr) {
    win::ReleaseDC(nullptr, m.screen);
  } else {
    int ups = 0;
    toolkit::END_BITMAP_DRAW(m.target, &ups);
  }
  m = Measuring{};
}

}  // namespace text
