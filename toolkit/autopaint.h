// Auto-paint: the draw calls made on a window or box are recorded in its
// buffer and replayed by the paint handler. One entry per call: the
// routine's identity (4 bytes), then its recorded arguments in order; a
// scalar is 4 bytes (0x80000000 when absent), an array or text a 4-byte
// byte count and that many bytes (0 and none when absent). Outputs are
// never recorded. A recorded real -0.0 is stored as 0.0 and an integer
// 0x80000000 as 0x80000001, so that only an absent argument replays as
// absent.
//
// A target records while its mode is 1 and its buffer's mode is 1 (the
// routine then returns without drawing); the paint handler replays with
// both set to 2, the routine then drawing with the recorded values.
#pragma once

#include <cstdint>
#include <list>
#include <vector>

#include "platform/win_gdi.h"
#include "toolkit/draw_target.h"
#include "toolkit/records.h"

namespace toolkit {

// Identities of the recordable routines.
enum autopaint_routine : std::int32_t {
  kRecordDrawLine = 1,
  kRecordNewPen,
  kRecordNewBrush,
  kRecordNewFont,
  kRecordWriteText,
  kRecordPolyline,
  kRecordPolygon,
  kRecordPolyBezier,
  kRecordChord,
  kRecordRectangle,
};

inline constexpr std::uint32_t kAbsentWord = 0x80000000u;

// The buffer of the target's box, else of its window; null after "Trying
// to Auto-Paint an invalid Window" when there is none.
autopaint_buffer* AUTO_PAINT_BUFFER(draw_target_t& target, int* ups);
// Appends the bytes, growing the buffer by the shortfall rounded up to a
// multiple of 1024 bytes.
void APPEND_TO_BUFFER(autopaint_buffer& buffer, const void* bytes, int length);
void RECORD_FUNCTION(autopaint_buffer& buffer, std::int32_t routine);
// Replays the entry at the read position; an unknown identity ends the
// replay (the read position goes to the end).
void REPLAY_AUTO_PAINT(draw_target_t& target, autopaint_buffer& buffer);

// The recording or replay of one draw call's arguments. While recording
// each argument is appended; while replaying each is read back and the
// argument made to refer to a copy held here (alive as long as this).
class recorded_call {
 public:
  // Takes the target's buffer when the target is in auto-paint mode and
  // records the routine's identity.
  recorded_call(draw_target_t& target, std::int32_t routine, int* ups);
  recorded_call(const recorded_call&) = delete;
  recorded_call& operator=(const recorded_call&) = delete;

  // True when the routine returns without drawing (recording).
  bool recording_only() const { return target_mode_ == 1; }

  void argument(const int*& value);
  void argument(const float*& value);
  void argument(const win::COLORREF*& value);
  void argument(const win::HFONT*& value);
  // Several arguments in their order.
  template <class... A>
  void arguments(A&... values) {
    (argument(values), ...);
  }
  // An array of `bytes` bytes (0: absent); on replay `bytes` receives the
  // recorded count.
  void array(const void*& data, int& bytes);
  template <class T>
  void array(const T*& data, int& bytes) {
    const void* p = data;
    array(p, bytes);
    data = static_cast<const T*>(p);
  }
  // "Output arguments to auto-paint draw functions are not supported"
  // when the output is given while recording.
  void output(const void* value);

 private:
  // Records a word, or on replay reads one: false when it was absent.
  bool word(std::uint32_t& value, bool given);
  autopaint_buffer* buffer_ = nullptr;
  std::int32_t target_mode_ = 0;
  // Copies whose addresses the arguments keep: lists, which (unlike a
  // deque) take no memory until a replay fills them, so that a call drawn
  // directly costs nothing here.
  std::list<int> ints_;
  std::list<float> floats_;
  std::list<win::COLORREF> colours_;
  std::list<win::HFONT> fonts_;
  std::vector<std::vector<unsigned char>> arrays_;
};

}  // namespace toolkit
