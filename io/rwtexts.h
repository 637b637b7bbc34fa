// Texts shared by the file statements, the format engine and the pictures:
// the detail text that goes with a failed transfer, and the format work
// text into which a picture is turned into edit descriptors.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/fixed_text.h"

namespace io {

// The detail text, which knows whether it is blank since it was last
// blanked: a statement that finds it so need not look at its characters.
// (Everything that may write it, the writable pointer and characters
// included, counts as a write.)
class DetailText : public plat::FixedText<256> {
 public:
  void set(std::string_view s) {
    blanked_ = false;
    FixedText::set(s);
  }
  void blank() {
    FixedText::blank();
    blanked_ = true;
  }
  char* data() {
    blanked_ = false;
    return FixedText::data();
  }
  const char* data() const { return FixedText::data(); }
  char& operator[](std::size_t i) {
    blanked_ = false;
    return FixedText::operator[](i);
  }
  const char& operator[](std::size_t i) const { return FixedText::operator[](i); }
  // Blank, unless something wrote it since it was blanked.
  void blankagain() {
    if (!blanked_) blank();
  }

 private:
  bool blanked_ = true;
};

inline DetailText rwdetail;
inline plat::FixedText<60> fmtwork;

}  // namespace io
