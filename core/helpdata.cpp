#include "core/helpdata.h"

#include <algorithm>
#include <string>

#include "platform/file_units.h"

namespace core {

namespace {

// A redirection chain longer than this is taken as a loop: the key is then
// reported missing.
constexpr int max_redirections = 32;

plat::UnitMode keyed_spec() {
  plat::UnitMode s;
  s.status = plat::UnitStatus::old_file;
  s.access = plat::UnitAccess::direct;
  s.form = plat::UnitForm::binary;
  s.action = plat::UnitAction::read;
  s.share = plat::UnitShare::denynone;
  s.recl = 1;
  return s;
}

int open_keyed(std::string_view path) { return plat::open_unit(helpunit, path, keyed_spec()); }

void copy_padded(std::span<char> out, std::string_view s) {
  std::fill(out.begin(), out.end(), ' ');
  std::copy_n(s.begin(), std::min(s.size(), out.size()), out.begin());
}

std::string_view trim_right(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

void set_keylen() {
  helpkeylen = std::min<std::int32_t>(static_cast<std::int32_t>(helpkey.trimmed().size()) + 1, 256);
}

// Index entry of the key's first word (cut to 16 characters), 0 when none.
int find_entry() {
  const std::string_view k = helpkey.view();
  const std::size_t blank = k.find(' ');
  const std::size_t n =
      std::min<std::size_t>(blank == std::string_view::npos ? 256 : blank + 1, 16);
  for (int i = 1; i <= helpcount; ++i)
    if (helpkeys[i].view().substr(0, n) == k.substr(0, n)) return i;
  return 0;
}

// Bytes of the help data file from position pos; fewer at its end.
std::string read_bytes(std::int64_t pos, std::int64_t n) {
  std::string buf(static_cast<std::size_t>(std::max<std::int64_t>(n, 0)), ' ');
  if (n <= 0) return buf;
  std::int64_t got = 0;
  plat::read_direct(helpunit, pos, buf, &got);
  buf.resize(static_cast<std::size_t>(std::max<std::int64_t>(got, 0)));
  return buf;
}

void keyed_search(int& found, int& lastline, int& bodylen, int& width, std::span<char> line) {
  for (int hop = 0; hop <= max_redirections; ++hop) {
    menulineno = -menulineno;
    found = 0;
    bodylen = 0;
    menubytepos = 1;
    set_keylen();
    if (!plat::unit_is_open(helpunit) && open_keyed(helppath.trimmed()) != plat::iostat_ok) return;

    // The key's first word; a missing word ending in "H" is looked up
    // without that "H" (and again, as long as "H"s end it).
    const plat::FixedText<256> asked = helpkey;
    int i = find_entry();
    while (i == 0) {
      const std::size_t blank = helpkey.view().find(' ');
      const std::size_t n =
          std::min<std::size_t>(blank == std::string_view::npos ? 256 : blank + 1, 16);
      if (n < 2 || helpkey[n - 2] != 'H') break;
      helpkey[n - 2] = ' ';
      i = find_entry();
    }
    if (i == 0) {
      helpkey = asked;  // the key as asked, "H"s included
      return;
    }

    const std::int64_t start = helpoffsets[i];
    const std::int64_t next = helpoffsets[i + 1];
    const std::string head_bytes = read_bytes(start, std::min<std::int64_t>(next - start, 4096));
    const std::size_t cr = head_bytes.find('\r');
    const std::string_view head =
        std::string_view(head_bytes).substr(0, cr == std::string::npos ? head_bytes.size() : cr);
    copy_padded(line, head);
    if (const std::size_t arrow = head.find("->"); arrow != std::string_view::npos) {
      helpkey.set(head.substr(arrow + 2));
      continue;
    }

    found = 1;
    const std::int64_t body = next - start - static_cast<std::int64_t>(head.size()) - 2;
    bodylen = static_cast<int>(std::max<std::int64_t>(body, 0));
    if (helpsection.size() < static_cast<std::size_t>(bodylen))
      helpsection.resize(static_cast<std::size_t>(bodylen));
    std::fill(helpsection.begin(), helpsection.end(), ' ');
    const std::string b = read_bytes(start + static_cast<std::int64_t>(head.size()) + 2, bodylen);
    std::copy(b.begin(), b.end(), helpsection.begin());
    bodylen = static_cast<int>(b.size());

    // Lines and the widest of them; a last line without CR counts too.
    lastline = 1;
    width = 0;
    int from = 0;
    for (int k = 0; k < bodylen; ++k) {
      if (helpsection[static_cast<std::size_t>(k)] != '\r') continue;
      ++lastline;
      width = std::max(width, k - from);
      from = k + 2;
    }
    if (from < bodylen) {
      ++lastline;
      width = std::max(width, bodylen - from);
    }
    helpentry = i;
    helpbodylen = bodylen;
    return;
  }
  found = 0;  // a redirection loop
}

bool is_body_line(std::string_view rec) { return rec.empty() || rec[0] == ' ' || rec[0] == '\t'; }

void sequential_search(int unit, int& found, int& lastline, int& bodylen, int& width,
                       std::span<char> line) {
  for (int hop = 0; hop <= max_redirections; ++hop) {
    found = 0;
    bodylen = 0;
    width = 0;
    if (menufile.is_blank() || helpkey.is_blank()) return;
    menulineno = -menulineno;
    menubytepos = 1;
    set_keylen();

    plat::UnitInfo info;
    plat::inquire_unit(unit, info);
    if (!info.open || trim_right(info.name) != menufile.trimmed()) {
      plat::UnitMode s;
      s.status = plat::UnitStatus::old_file;
      s.action = plat::UnitAction::read;
      s.share = plat::UnitShare::denynone;
      s.position = plat::UnitPosition::rewind;
      if (plat::open_unit(unit, menufile.trimmed(), s) != plat::iostat_ok) return;
    } else if (plat::rewind_unit(unit) != plat::iostat_ok) {
      return;
    }

    const std::string_view key = helpkey.view().substr(0, static_cast<std::size_t>(helpkeylen));
    std::string rec;
    std::string newkey;
    int counter = 0;
    bool redirected = false;
    while (counter < 999999) {
      ++counter;
      if (plat::read_record(unit, rec) != plat::iostat_ok) break;
      const std::string_view t = trim_right(rec);
      if (is_body_line(rec)) {
        if (found > 0) {
          bodylen += static_cast<int>(t.size()) + 2;
          width = std::max(width, static_cast<int>(t.size()));
        } else {
          menubytepos += static_cast<int>(t.size()) + 2;
        }
        continue;
      }
      if (found > 0) break;
      menubytepos += static_cast<int>(t.size()) + 2;
      // The record as the blank-padded line the key is compared with.
      std::string padded(rec);
      if (padded.size() < key.size()) padded.resize(key.size(), ' ');
      if (std::string_view(padded).substr(0, key.size()) != key) continue;
      const std::string_view after = std::string_view(padded).substr(key.size());
      if (after.substr(0, 2) == "->") {
        newkey = std::string(after.substr(2));
        redirected = true;
        break;
      }
      found = counter;
      if (rec.find(';') == std::string::npos) helptext.set(after);
    }
    if (redirected) {
      helpkey.set(newkey);
      continue;
    }
    lastline = counter - 1;
    if (found > 0) {
      plat::rewind_unit(unit);
      for (int k = 0; k < found; ++k) plat::read_record(unit, rec);
      copy_padded(line, rec);
      menulineno = -found;
    }
    return;
  }
  found = 0;
}

}  // namespace

void CHECKSUM(std::string_view path) {
  plat::close_unit(helpunit);
  helpcount = 0;
  plat::UnitMode s;
  s.status = plat::UnitStatus::old_file;
  s.action = plat::UnitAction::read;
  s.share = plat::UnitShare::denynone;
  s.position = plat::UnitPosition::rewind;
  if (plat::open_unit(helpunit, path, s) != plat::iostat_ok) return;
  if (helpkeys.size() == 0) {
    helpkeys.resize(801);
    helpoffsets.resize(801, 0);
  }

  std::int64_t running = 1;
  std::string rec;
  // (Only the positions are needed: a full inquiry looks at the file on
  // every record.)
  std::int64_t before = plat::unit_position(helpunit);
  for (;;) {
    if (plat::read_record(helpunit, rec) != plat::iostat_ok) break;
    const std::int64_t after = plat::unit_position(helpunit);
    if (!rec.empty() && rec[0] != ' ' && rec[0] != '\t' && rec[0] != '!') {
      ++helpcount;
      // The index grows with the file.
      if (helpcount + 1 >= helpkeys.size()) {
        helpkeys.resize(static_cast<std::size_t>(helpkeys.size() * 2));
        helpoffsets.resize(static_cast<std::size_t>(helpoffsets.size() * 2), 0);
      }
      const std::string_view r(rec);
      helpkeys[helpcount].set(r.substr(0, r.find(' ')));
      helpoffsets[helpcount] = static_cast<std::int32_t>(running);
    }
    running += after - before;
    before = after;
  }
  helpoffsets[helpcount + 1] = static_cast<std::int32_t>(running);
  plat::close_unit(helpunit);
  open_keyed(path);
}

void GETMENUDATA(int unit, int& found, int& lastline, int& bodylen, int& width,
                 std::span<char> line) {
  if (unit == helpunit) {
    found = 0;
    if (!helpkey.is_blank()) keyed_search(found, lastline, bodylen, width, line);
  } else {
    sequential_search(unit, found, lastline, bodylen, width, line);
  }
  helppos = 1;
}

int GETMENUPOSITION(int, int& position) {
  position = menubytepos;
  return menubytepos;
}

int GETMENUREWIND() {
  if (menuunit != helpunit) {
    if (plat::rewind_unit(menuunit) != plat::iostat_ok) return 1;
    menulineno = -menulineno;
    std::string rec;
    for (int k = 0; k < menulineno; ++k)
      if (plat::read_record(menuunit, rec) != plat::iostat_ok) break;
  }
  helppos = 1;
  return 0;
}

int GETMENULINE(std::span<char> line, int& entry, int& position) {
  if (menuunit != helpunit) {
    std::string rec;
    if (plat::read_record(menuunit, rec) != plat::iostat_ok) return 1;
    copy_padded(line, rec);
    return 0;
  }
  if (entry != helpentry) {
    if (entry < 1 || entry > helpcount) return 1;
    helpkey = plat::FixedText<256>(helpkeys[entry].view());
    int found = 0;
    int last = 0;
    int len = 0;
    int width = 0;
    plat::FixedText<256> head;
    GETMENUDATA(menuunit, found, last, len, width, std::span<char>(head.data(), head.size()));
    if (found == 0) return 1;
  }
  if (position < 1 || position > helpbodylen) return 1;
  const auto begin = helpsection.begin() + (position - 1);
  const auto end = helpsection.begin() + helpbodylen;
  const auto cr = std::find(begin, end, '\r');
  copy_padded(line, std::string_view(&*begin, static_cast<std::size_t>(cr - begin)));
  position = static_cast<int>(cr - helpsection.begin()) + 3;  // past CR LF
  helppos = position;
  return 0;
}

void reset_helpdata() {
  plat::close_unit(helpunit);
  helpkeys.clear();
  helpoffsets.clear();
  helpcount = 0;
  helpkey.blank();
  helpkeylen = 0;
  helpline.blank();
  helptext.blank();
  helpsection.clear();
  helpentry = 0;
  helppos = 1;
  helpbodylen = 0;
  menuunit = helpunit;
  menufile.blank();
  menulineno = 0;
  menubytepos = 1;
  helppath.blank();
}

}  // namespace core
