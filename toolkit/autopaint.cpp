#include "toolkit/autopaint.h"

#include <cstring>

#include "toolkit/draw.h"
#include "toolkit/memory.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

constexpr int kGrowStep = 1024;

// `bytes` bytes at the read position, which moves past them; false (the
// position at the end) when the buffer holds fewer.
bool read_bytes(autopaint_buffer& buffer, void* out, int bytes) {
  if (bytes < 0 || buffer.read_position < 0 || buffer.used - buffer.read_position < bytes) {
    buffer.read_position = buffer.used;
    return false;
  }
  std::memcpy(out, buffer.base + buffer.read_position, static_cast<std::size_t>(bytes));
  buffer.read_position += bytes;
  return true;
}

std::uint32_t bits_of(float f) {
  std::uint32_t u = 0;
  std::memcpy(&u, &f, sizeof u);
  return u;
}

float float_of(std::uint32_t u) {
  float f = 0;
  std::memcpy(&f, &u, sizeof f);
  return f;
}

}  // namespace

autopaint_buffer* AUTO_PAINT_BUFFER(draw_target_t& target, int* ups) {
  if (target.box != nullptr) return &target.box->autopaint;
  if (window_record_t* record = FIND_WINDOW_RECORD(target.window)) return &record->autopaint;
  SET_STATUS(ups, "Trying to Auto-Paint an invalid Window", kToolkitError);
  return nullptr;
}

void APPEND_TO_BUFFER(autopaint_buffer& buffer, const void* bytes, int length) {
  if (length <= 0) return;
  const int room = buffer.capacity - buffer.used;
  if (room < length) {
    const int shortfall = length - room;
    buffer.capacity += (shortfall + kGrowStep - 1) / kGrowStep * kGrowStep;
    buffer.base = static_cast<unsigned char*>(
        REALLOCATE_MEMORY(buffer.base, static_cast<std::size_t>(buffer.capacity)));
  }
  std::memcpy(buffer.base + buffer.used, bytes, static_cast<std::size_t>(length));
  buffer.used += length;
}

void RECORD_FUNCTION(autopaint_buffer& buffer, std::int32_t routine) {
  if (buffer.mode == 1) APPEND_TO_BUFFER(buffer, &routine, sizeof routine);
}

void REPLAY_AUTO_PAINT(draw_target_t& t, autopaint_buffer& buffer) {
  std::int32_t routine = 0;
  if (!read_bytes(buffer, &routine, sizeof routine)) return;
  switch (routine) {
    case kRecordDrawLine:
      DRAW_LINE(t, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                nullptr, nullptr);
      break;
    case kRecordNewPen:
      NEW_PEN(t, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
      break;
    case kRecordNewBrush:
      NEW_BRUSH(t, nullptr, nullptr, nullptr, nullptr);
      break;
    case kRecordNewFont:
      NEW_FONT(t, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
               nullptr);
      break;
    case kRecordWriteText:
      WRITE_TEXT(t, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                 nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                 nullptr, nullptr);
      break;
    case kRecordPolyline:
      C_DRAW_POLYLINE(t, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr);
      break;
    case kRecordPolygon:
      C_DRAW_POLYGON(t, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr);
      break;
    case kRecordPolyBezier:
      C_DRAW_POLY_BEZIER(t, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr);
      break;
    case kRecordChord:
      DRAW_CHORD(t, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                 nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                 nullptr, nullptr);
      break;
    case kRecordRectangle:
      DRAW_RECTANGLE(t, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr, nullptr);
      break;
    default:
      buffer.read_position = buffer.used;
      break;
  }
}

recorded_call::recorded_call(draw_target_t& target, std::int32_t routine, int* ups)
    : target_mode_(target.autopaint_mode) {
  if (target_mode_ == 0) return;
  buffer_ = AUTO_PAINT_BUFFER(target, ups);
  if (buffer_ != nullptr && buffer_->mode == 1) RECORD_FUNCTION(*buffer_, routine);
}

bool recorded_call::word(std::uint32_t& value, bool given) {
  if (buffer_ == nullptr) return given;
  if (buffer_->mode == 1) {
    const std::uint32_t w = given ? value : kAbsentWord;
    APPEND_TO_BUFFER(*buffer_, &w, sizeof w);
    return given;
  }
  if (buffer_->mode != 2) return given;
  std::uint32_t w = kAbsentWord;
  read_bytes(*buffer_, &w, sizeof w);
  value = w;
  return w != kAbsentWord;
}

void recorded_call::argument(const int*& value) {
  std::uint32_t w = value != nullptr ? static_cast<std::uint32_t>(*value) : 0;
  if (w == kAbsentWord) w = kAbsentWord + 1;
  const bool given = word(w, value != nullptr);
  if (buffer_ == nullptr || buffer_->mode != 2) return;
  value = given ? &ints_.emplace_back(static_cast<int>(w)) : nullptr;
}

void recorded_call::argument(const float*& value) {
  std::uint32_t w = value != nullptr ? bits_of(*value) : 0;
  if (w == kAbsentWord) w = 0;  // -0.0
  const bool given = word(w, value != nullptr);
  if (buffer_ == nullptr || buffer_->mode != 2) return;
  value = given ? &floats_.emplace_back(float_of(w)) : nullptr;
}

void recorded_call::argument(const win::COLORREF*& value) {
  std::uint32_t w = value != nullptr ? *value : 0;
  if (w == kAbsentWord) w = kAbsentWord + 1;
  const bool given = word(w, value != nullptr);
  if (buffer_ == nullptr || buffer_->mode != 2) return;
  value = given ? &colours_.emplace_back(w) : nullptr;
}

void recorded_call::argument(const win::HFONT*& value) {
  std::uint32_t w = value != nullptr ? win::handle_value(*value) : 0;
  const bool given = word(w, value != nullptr);
  if (buffer_ == nullptr || buffer_->mode != 2) return;
  value = given ? &fonts_.emplace_back(win::handle_from<win::HFONT>(w)) : nullptr;
}

void recorded_call::array(const void*& data, int& bytes) {
  if (buffer_ == nullptr) return;
  if (buffer_->mode == 1) {
    const std::int32_t count = data != nullptr && bytes > 0 ? bytes : 0;
    APPEND_TO_BUFFER(*buffer_, &count, sizeof count);
    APPEND_TO_BUFFER(*buffer_, data, count);
    return;
  }
  if (buffer_->mode != 2) return;
  std::int32_t count = 0;
  read_bytes(*buffer_, &count, sizeof count);
  data = nullptr;
  bytes = 0;
  if (count <= 0) return;
  std::vector<unsigned char>& copy = arrays_.emplace_back(static_cast<std::size_t>(count));
  if (!read_bytes(*buffer_, copy.data(), count)) return;
  data = copy.data();
  bytes = count;
}

void recorded_call::output(const void* value) {
  if (buffer_ != nullptr && buffer_->mode == 1 && value != nullptr)
    SET_STATUS(nullptr, "Output arguments to auto-paint draw functions are not supported",
               kToolkitError);
}

}  // namespace toolkit
