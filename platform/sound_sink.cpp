// The sinks' shared queue, the silent and the capture sink, and the choice
// of a sink.
#include "platform/sound_sink.h"

#include <algorithm>

#include "platform/sound_queue.h"

namespace plat {

namespace detail {

void QueuedSink::play(std::span<const std::uint8_t> bytes, std::function<void()> done) {
  {
    std::lock_guard lk(m_);
    queue_.push_back({bytes, std::move(done)});
  }
  cv_.notify_all();
}

void QueuedSink::reset() {
  std::unique_lock lk(m_);
  if (!thread_.joinable()) return;
  resetting_ = true;
  dropping_ = true;
  cv_.notify_all();
  cv_.wait(lk, [this] { return !resetting_; });
}

void QueuedSink::start() {
  thread_ = std::thread([this] { run(); });
}

void QueuedSink::stop() {
  {
    std::lock_guard lk(m_);
    if (!thread_.joinable()) return;
    quit_ = true;
  }
  cv_.notify_all();
  thread_.join();
}

bool QueuedSink::wait_for(std::chrono::nanoseconds how_long) {
  std::unique_lock lk(m_);
  return !cv_.wait_for(lk, how_long, [this] { return dropping_.load(); });
}

void QueuedSink::run() {
  std::unique_lock lk(m_);
  for (;;) {
    cv_.wait(lk, [this] { return quit_ || resetting_ || !queue_.empty(); });
    if (!queue_.empty()) {
      Item item = std::move(queue_.front());
      queue_.pop_front();
      const bool skip = resetting_;
      lk.unlock();
      if (!skip) render(item.bytes);
      if (item.done) item.done();
      lk.lock();
      continue;
    }
    if (resetting_) {
      lk.unlock();
      silence();
      lk.lock();
      resetting_ = false;
      dropping_ = false;
      cv_.notify_all();
      continue;
    }
    if (quit_) return;
  }
}

}  // namespace detail

namespace {

SoundOutput output = SoundOutput::device;

// What the capture sinks took; never destroyed, so that a sink still open
// when the program ends can close.
std::mutex& capture_m = *new std::mutex;
SoundCapture& captured = *new SoundCapture;

// Lets each buffer's playing time pass, in real time.
class SilentSink final : public detail::QueuedSink {
 public:
  explicit SilentSink(const SoundFormat& f) : QueuedSink(f) { start(); }
  ~SilentSink() override { stop(); }

 private:
  void render(std::span<const std::uint8_t> bytes) override {
    wait_for(std::chrono::nanoseconds(sound_nanoseconds(format(), bytes.size())));
  }
};

// Keeps every byte; each buffer is done as soon as it is kept.
class CaptureSink final : public detail::QueuedSink {
 public:
  explicit CaptureSink(const SoundFormat& f) : QueuedSink(f) {
    {
      std::lock_guard lk(capture_m);
      captured.opens.push_back(f);
    }
    start();
  }
  ~CaptureSink() override {
    stop();
    std::lock_guard lk(capture_m);
    ++captured.closes;
  }
  void reset() override {
    {
      std::lock_guard lk(capture_m);
      ++captured.resets;
    }
    QueuedSink::reset();
  }

 private:
  void render(std::span<const std::uint8_t> bytes) override {
    std::lock_guard lk(capture_m);
    captured.bytes.insert(captured.bytes.end(), bytes.begin(), bytes.end());
    ++captured.buffers;
  }
};

}  // namespace

void use_sound_output(SoundOutput kind) { output = kind; }

SoundOutput sound_output() { return output; }

std::unique_ptr<SoundSink> open_sound_sink(const SoundFormat& format) {
  if (format.channels < 1 || format.channels > 2 || (format.bits != 8 && format.bits != 16) ||
      format.rate < 1)
    return nullptr;
  switch (output) {
    case SoundOutput::capture:
      return std::make_unique<CaptureSink>(format);
    case SoundOutput::device:
      if (auto card = open_alsa_sink(format)) return card;
      break;
    case SoundOutput::silent:
      break;
  }
  return std::make_unique<SilentSink>(format);
}

std::int64_t sound_nanoseconds(const SoundFormat& format, std::size_t bytes) {
  const std::int64_t frames = static_cast<std::int64_t>(bytes) / std::max(format.frame_bytes(), 1);
  return frames * 1'000'000'000 / std::max(format.rate, 1);
}

SoundCapture sound_capture() {
  std::lock_guard lk(capture_m);
  return captured;
}

void clear_sound_capture() {
  std::lock_guard lk(capture_m);
  captured = {};
}

}  // namespace plat
