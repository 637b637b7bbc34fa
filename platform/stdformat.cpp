#include "platform/stdformat.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/fixedfield.h"

namespace plat {

namespace {

struct Node {
  enum Kind { data, literal, skip, slash, group } kind = data;
  int repeat = 1;
  EditDesc desc;
  std::string text;          // literal
  std::vector<Node> nested;  // group
};

class Parser {
 public:
  explicit Parser(std::string_view f) : f_(f) {}

  bool parse(std::vector<Node>& out) {
    if (!items(out, 0)) return false;
    blanks();
    return i_ >= f_.size();
  }

 private:
  void blanks() {
    while (i_ < f_.size() && f_[i_] == ' ') ++i_;
  }
  int count() {
    blanks();
    if (i_ >= f_.size() || f_[i_] < '0' || f_[i_] > '9') return -1;
    long long v = 0;
    for (; i_ < f_.size() && ((f_[i_] >= '0' && f_[i_] <= '9') || f_[i_] == ' '); ++i_)
      if (f_[i_] != ' ') v = std::min<long long>(v * 10 + (f_[i_] - '0'), 1000000);
    return static_cast<int>(v);
  }

  bool items(std::vector<Node>& out, int depth) {
    for (;;) {
      blanks();
      if (i_ >= f_.size()) return depth == 0;
      const char c = f_[i_];
      if (c == ',') {
        ++i_;
        continue;
      }
      if (c == ')') {
        if (depth == 0) return false;
        ++i_;
        return true;
      }
      Node node;
      if (!item(node, depth)) return false;
      out.push_back(std::move(node));
    }
  }

  bool item(Node& node, int depth) {
    const int rep = count();
    if (rep == 0) return false;
    node.repeat = rep < 0 ? 1 : rep;
    blanks();
    if (i_ >= f_.size()) return false;
    const char c = f_[i_];
    if (c == '(') {
      ++i_;
      if (depth >= 8) return false;
      node.kind = Node::group;
      return items(node.nested, depth + 1);
    }
    if (c == '\'' || c == '"') {
      ++i_;
      if (rep >= 0) return false;
      node.kind = Node::literal;
      return literal(c, node.text);
    }
    if (c == '/') {
      ++i_;
      node.kind = Node::slash;
      return rep < 0;
    }
    if (c == 'X' || c == 'x') {
      ++i_;
      node.kind = Node::skip;
      return true;
    }
    node.kind = Node::data;
    return parse_edit_desc(f_, i_, node.desc);
  }

  bool literal(char quote, std::string& text) {
    while (i_ < f_.size()) {
      const char c = f_[i_++];
      if (c != quote) {
        text.push_back(c);
      } else if (i_ < f_.size() && f_[i_] == quote) {
        text.push_back(quote);
        ++i_;
      } else {
        return true;
      }
    }
    return false;
  }

  std::string_view f_;
  std::size_t i_ = 0;
};

bool hasdata(const std::vector<Node>& nodes) {
  for (const Node& n : nodes)
    if (n.kind == Node::data || (n.kind == Node::group && hasdata(n.nested))) return true;
  return false;
}

bool integerletter(char l) { return l == 'I' || l == 'B' || l == 'O' || l == 'Z'; }

// The walk shared by both directions: Step handles one data descriptor and
// one item and returns a status; the walk does the rest.
template <typename Step, typename Skip, typename Literal>
struct Walk {
  std::size_t nitems;
  Step step;
  Skip skip;
  Literal lit;
  std::size_t next = 0;
  int status = stdfmt_ok;
  bool stopped = false;

  void run(const std::vector<Node>& nodes) {
    for (const Node& node : nodes) {
      for (int r = 0; r < node.repeat && !stopped; ++r) {
        switch (node.kind) {
          case Node::data:
            if (next >= nitems) {
              stopped = true;
              break;
            }
            status = step(node.desc, next++);
            if (status != stdfmt_ok) stopped = true;
            break;
          case Node::literal:
            lit(node.text);
            break;
          case Node::skip:
            skip();
            break;
          case Node::slash:
            status = stdfmt_record;
            stopped = true;
            break;
          case Node::group:
            run(node.nested);
            break;
        }
      }
      if (stopped) return;
    }
  }
};

template <typename Step, typename Skip, typename Literal>
int walk(std::string_view format, std::size_t nitems, Step step, Skip skip, Literal lit) {
  std::vector<Node> nodes;
  if (!Parser(format).parse(nodes)) return stdfmt_bad;
  Walk<Step, Skip, Literal> w{nitems, step, skip, lit};
  w.run(nodes);
  if (w.status == stdfmt_ok && w.next < nitems && nitems > 0)
    w.status = hasdata(nodes) ? stdfmt_record : stdfmt_bad;
  return w.status;
}

// The field text of one item, or the status when the descriptor does not
// take it.
int putitem(const StdItem& it, const EditDesc& d, std::string& field) {
  int st = field_ok;
  switch (it.kind) {
    case StdItem::Kind::integer:
      field = put_integer(it.i, d, 64, &st);
      break;
    case StdItem::Kind::real:
      field = put_real(it.r, d, &st);
      break;
    case StdItem::Kind::number:
      if (integerletter(d.letter)) {
        const double r = std::round(it.r);
        if (!(std::fabs(r) <= 2147483647.0)) {
          field.assign(static_cast<std::size_t>(std::max(d.width, 1)), '*');
        } else {
          field = put_integer(static_cast<std::int32_t>(r), d, 32, &st);
        }
      } else if (d.letter == 'L') {
        field = put_logical(it.r != 0.0, d, &st);
      } else {
        field = put_real(it.r, d, &st);
      }
      break;
    case StdItem::Kind::logical:
      field = put_logical(it.l, d, &st);
      break;
    case StdItem::Kind::text:
      field = put_text(it.text, d, &st);
      break;
  }
  return st == field_ok ? stdfmt_ok : stdfmt_bad;
}

int fromfield(int st) {
  return st == field_ok          ? stdfmt_ok
         : st == field_malformed ? stdfmt_malformed
         : st == field_overflow  ? stdfmt_overflow
                                 : stdfmt_bad;
}

int getitem(StdItem& it, const EditDesc& d, std::string_view field) {
  switch (it.kind) {
    case StdItem::Kind::integer:
      return fromfield(get_integer(field, d, it.i));
    case StdItem::Kind::real:
      return fromfield(get_real(field, d, it.r));
    case StdItem::Kind::number: {
      if (integerletter(d.letter)) {
        std::int64_t v = 0;
        const int st = get_integer(field, d, v);
        if (st == field_ok) it.r = static_cast<double>(v);
        return fromfield(st);
      }
      if (d.letter == 'L') {
        bool b = false;
        const int st = get_logical(field, b);
        if (st == field_ok) it.r = b ? 1.0 : 0.0;
        return fromfield(st);
      }
      return fromfield(get_real(field, d, it.r));
    }
    case StdItem::Kind::logical:
      if (d.letter != 'L' && d.letter != 'G') return stdfmt_bad;
      return fromfield(get_logical(field, it.l));
    case StdItem::Kind::text:
      if (d.letter != 'A' && d.letter != 'G') return stdfmt_bad;
      get_text(field, it.out);
      return stdfmt_ok;
  }
  return stdfmt_bad;
}

}  // namespace

int std_write(std::string_view format, std::span<const StdItem> items, std::string& out) {
  return walk(
      format, items.size(),
      [&](const EditDesc& d, std::size_t k) {
        std::string field;
        const int st = putitem(items[k], d, field);
        if (st == stdfmt_ok) out += field;
        return st;
      },
      [&] { out.push_back(' '); }, [&](const std::string& t) { out += t; });
}

int std_read(std::string_view format, std::string_view record, std::span<StdItem> items) {
  std::size_t p = 0;
  auto take = [&](std::size_t w) {
    std::string field(w, ' ');
    if (p < record.size()) {
      const std::size_t n = std::min(w, record.size() - p);
      std::copy_n(record.begin() + static_cast<std::ptrdiff_t>(p), n, field.begin());
    }
    p += w;
    return field;
  };
  return walk(
      format, items.size(),
      [&](const EditDesc& d, std::size_t k) {
        StdItem& it = items[k];
        int w = d.width;
        if (w < 0 && d.letter == 'A' && it.kind == StdItem::Kind::text)
          w = static_cast<int>(it.out.size());
        if (w < 1) return stdfmt_bad;
        return getitem(it, d, take(static_cast<std::size_t>(w)));
      },
      [&] { ++p; }, [&](const std::string& t) { p += t.size(); });
}

}  // namespace plat
