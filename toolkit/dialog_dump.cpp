// The dump of an in-memory dialog template to the self-diagnosis log.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/cp1252.h"
#include "platform/win_dialog.h"
#include "toolkit/helpers.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

// Reads the template's words and wide texts in order.
class TemplateReader {
 public:
  explicit TemplateReader(const unsigned char* base) : base_(base) {}

  template <class T>
  T take() {
    T value;
    std::memcpy(&value, base_ + at_, sizeof value);
    at_ += sizeof value;
    return value;
  }
  win::WORD word() { return take<win::WORD>(); }
  std::string text() {
    std::string out;
    for (win::WORD c = word(); c != 0; c = word())
      out += static_cast<char>(plat::cp1252_of_unicode(c));
    return out;
  }
  // A menu, class or title field: none, 0xFFFF and a number, or a text.
  std::string name_or_number(bool as_atom) {
    const win::WORD first = take_peek();
    if (first == 0) {
      at_ += 2;
      return {};
    }
    if (first == 0xFFFF) {
      at_ += 2;
      char buf[16];
      std::snprintf(buf, sizeof buf, as_atom ? "0x%4.4x" : "%u", static_cast<unsigned>(word()));
      return buf;
    }
    return text();
  }
  void align4() { at_ = (at_ + 3) & ~std::size_t{3}; }
  void skip(std::size_t n) { at_ += n; }
  std::size_t offset() const { return at_; }

 private:
  win::WORD take_peek() const {
    win::WORD w;
    std::memcpy(&w, base_ + at_, sizeof w);
    return w;
  }
  const unsigned char* base_;
  std::size_t at_ = 0;
};

std::string or_no_title(const std::string& title) { return title.empty() ? "<NO TITLE>" : title; }

}  // namespace

void DisplayDialog(const void* dialog_template, int expected_items) {
  std::FILE* log = diagnosis_log_file();
  if (log == nullptr || dialog_template == nullptr) return;
  TemplateReader r(static_cast<const unsigned char*>(dialog_template));
  const auto head = r.take<win::DLGTEMPLATEEX>();
  r.name_or_number(false);  // menu
  r.name_or_number(true);   // class
  const std::string title = r.text();
  std::fprintf(log, "Title: %s, Style: %8x, Items: %d, X: %d, Y: %d, Width: %d, Height: %d\r\n",
               or_no_title(title).c_str(), static_cast<unsigned>(head.style), head.cDlgItems,
               head.x, head.y, head.cx, head.cy);
  if ((head.style & win::DS_SETFONT) != 0) {
    const int points = r.word();
    const int weight = r.word();
    const int italic = r.take<win::BYTE>();
    r.skip(1);  // character set
    const std::string face = r.text();
    std::fprintf(log, "Font - Points: %d, Weight: %d, Italic: %d, Name: %s\r\n", points, weight,
                 italic, face.c_str());
  }
  if (head.cDlgItems != expected_items)
    write_diagnosis_line("DisplayDialog: number of items disagree",
                         head.cDlgItems - expected_items);
  for (int i = 1; i <= head.cDlgItems; ++i) {
    r.align4();
    const std::size_t at = r.offset();
    const auto item = r.take<win::DLGITEMTEMPLATEEX>();
    const std::string cls = r.name_or_number(true);
    const std::string text = r.name_or_number(false);
    r.skip(r.word());  // creation data
    std::fprintf(log,
                 "%4.4x: Item %d Title: %s, Style: %8x, ID: %d, X: %d, Y: %d, Width: %d, Height: "
                 "%d, Class: %s\r\n",
                 static_cast<unsigned>(at), i, or_no_title(text).c_str(),
                 static_cast<unsigned>(item.style), static_cast<int>(item.id), item.x, item.y,
                 item.cx, item.cy, cls.c_str());
  }
  flush_diagnosis_log();
}

}  // namespace toolkit
