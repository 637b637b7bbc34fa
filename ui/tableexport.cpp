#include "ui/tableexport.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <span>

#include "core/messages.h"
#include "core/numwrite.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "io/cellconvert.h"
#include "io/coltable.h"
#include "platform/file_names.h"
#include "platform/file_replace.h"
#include "ui/tables.h"
#include "ui/tablesort.h"

namespace ui {

namespace {

constexpr std::size_t celltext = 256;
// Width of a "$" column's number.
constexpr std::size_t dollarwidth = 9;
constexpr std::string_view lineend = "\r\n";

std::string fitted(std::string_view s, std::int32_t width) {
  std::string out(s.substr(0, std::min<std::size_t>(s.size(), static_cast<std::size_t>(width))));
  out.resize(static_cast<std::size_t>(width), ' ');
  return out;
}

// The number of cell (row, format column fc) of a table on a numeric array.
bool arraynumber(mxrec& t, std::int32_t row, std::int32_t fc, double& value) {
  std::int32_t state = 0;
  IOR8MXELEMENT(t.unit, row, fc, 0, value, state, cellmode::read);
  const bool ok = core::iostatw[0] == 0 && core::msgkey.is_blank();
  core::msgkey.blank();
  return ok;
}

// The descriptor a cell's text is read with: a file's own column format,
// else the table's.
std::string readformat(const mxrec& t, std::int32_t fc, const ColInfo& ci) {
  if (t.unit > 0) {
    std::string f = io::columnformat(t.unit, fc);
    const std::size_t digits = f.find_first_not_of("0123456789");
    f = digits == std::string::npos ? std::string() : f.substr(digits);
    if (!f.empty()) return f;
  }
  return ci.descr;
}

// The text of displayed cell (row, col) of the table (mxcur), as the file
// takes it.
std::string celltextof(mxrec& t, std::int32_t row, std::int32_t col) {
  const std::int32_t fc = t.mapped(col);
  const ColInfo* ci = fc >= 1 && fc < static_cast<std::int32_t>(t.colinfo.size())
                          ? &t.colinfo[static_cast<std::size_t>(fc)]
                          : nullptr;
  std::array<char, celltext> text{};
  text.fill(' ');
  exec::ctlrec* const keptctl = exec::ctlcur;
  exec::ctlcur = nullptr;
  IOCHARMXELEMENT(t.unit, row, col, text, cellmode::shown);
  exec::ctlcur = keptctl;
  // A table on a numeric array reports its number cells as such.
  const bool onarray = core::msgkey.trimmed() == "mx2element";
  core::msgkey.blank();
  std::string out(text.data(), text.size());
  // An array's number without a format of its own: as the cell shows it.
  if (ci == nullptr) return out;
  const char kind = ci->descr.empty() ? ' ' : ci->descr.front();
  if (onarray && kind != '$' && io::numberletters.find(kind) == std::string_view::npos)
    return cellastext(t, row, col);
  if (kind == '$' && onarray) {
    double v = 0.0;
    if (!arraynumber(t, row, fc, v)) return out;
    std::array<char, dollarwidth> n{};
    core::WTSID8(n, v, 0);
    return std::string(n.data(), n.size());
  }
  if (io::numberletters.find(kind) == std::string_view::npos) return out;
  double v = 0.0;
  if (onarray) {
    if (!arraynumber(t, row, fc, v)) return std::string(celltext, ' ');
  } else if (!io::REALFROMSTRINGFMTD(out, v, readformat(t, fc, *ci))) {
    core::msgkey.blank();
    return out;
  }
  core::msgkey.blank();
  std::array<char, celltext> n{};
  char status = ' ';
  if (ci->showsnumber())
    io::REALTOSTRINGFMTD(n, v, ci->descr, status);
  else
    core::WTSID8(n, v, 0);
  return std::string(n.data(), n.size());
}

// The group value of displayed row r, or -1 when the rows are not grouped.
std::int64_t groupof(const mxrec& first, std::int32_t r) {
  if (first.clusterinfo3.empty()) return -1;
  bool grouped = false;
  for (std::int32_t v : first.clusterinfo2)
    if (std::abs(static_cast<std::int64_t>(v)) > 1) grouped = true;
  if (!grouped) return -1;
  std::int32_t stored = r;
  if (r >= 1 && r <= static_cast<std::int32_t>(first.sortindex.size()))
    stored = first.sortindex[static_cast<std::size_t>(r - 1)];
  if (stored < 1 || stored > static_cast<std::int32_t>(first.clusterinfo3.size())) return 0;
  return first.clusterinfo3[static_cast<std::size_t>(stored - 1)];
}

std::string hex(std::int64_t v) {
  char b[24];
  std::snprintf(b, sizeof b, "%llX",
                static_cast<unsigned long long>(static_cast<std::uint32_t>(v)));
  return b;
}

}  // namespace

std::string tabletext(exec::wdwrec& w) {
  mxrec* const first = w.firsttable;
  if (first == nullptr) return {};
  mxrec* const keptcur = mxcur;
  exec::wdwrec* const keptwdw = exec::wdwcur;
  exec::wdwcur = &w;
  std::int32_t rows = 0;
  for (mxrec* t = first; t != nullptr; t = t->next) rows = std::max(rows, t->nrows);
  std::string out;
  std::int64_t previous = 0;
  for (std::int32_t r = 1; r <= rows; ++r) {
    std::string line;
    for (mxrec* t = first; t != nullptr; t = t->next) {
      mxcur = t;
      const std::int32_t columns = std::min(t->ncols, t->nfmtcols);
      for (std::int32_t c = 1; c <= columns; ++c) {
        const std::int32_t fc = t->mapped(c);
        const std::int32_t width = fc >= 1 && fc < static_cast<std::int32_t>(t->colinfo.size())
                                       ? std::abs(t->colinfo[static_cast<std::size_t>(fc)].width)
                                       : 0;
        const std::string cell = r <= t->nrows ? celltextof(*t, r, c) : std::string();
        line += fitted(cell, width);
        line.push_back(' ');
      }
    }
    const std::int64_t group = groupof(*first, r);
    if (group >= 0) {
      if (group != previous) out += lineend;
      previous = group;
      out += hex(group) + " ";
    }
    out += line;
    out += lineend;
  }
  mxcur = keptcur;
  exec::wdwcur = keptwdw;
  return out;
}

void SAVETOFILEMX(std::string_view folder) {
  exec::wdwrec* const w = exec::wdwcur;
  if (w == nullptr || w->firsttable == nullptr) {
    core::msgkey.set(core::MSGKEY("printNotMX"));
    return;
  }
  const std::string name = std::string(w->title.trimmed()) + ".txt";
  std::string path(folder);
  if (!path.empty() && path.back() != '/') path.push_back('/');
  path += name;
  std::error_code ec;
  const bool exists = std::filesystem::exists(plat::system_path(path), ec);
  int answer = 0;
  core::MSGBOXFROMHELP(exists ? core::MSGKEY("msgMxOverwrite") : core::MSGKEY("msgMxWrite?"), name,
                       answer);
  if (answer == 2) return;
  const std::string text = tabletext(*w);
  const plat::ReplaceResult done = plat::replace_file(path, text, {.sync = false});
  core::istat = plat::replace_iostat(done);  // the status of the open, as a unit reports it
  if (!done.ok()) core::MSGBOXFROMHELP("msgMxWriteFail", name, answer);
}

}  // namespace ui
