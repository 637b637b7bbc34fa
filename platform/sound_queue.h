// The thread and queue that every sink shares: buffers are played one after
// the other by render() on the sink's own thread, each followed by its done.
// For the sinks of platform/sound_*.cpp only.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/sound_sink.h"

namespace plat::detail {

class QueuedSink : public SoundSink {
 public:
  explicit QueuedSink(const SoundFormat& format) : format_(format) {}
  ~QueuedSink() override { stop(); }
  QueuedSink(const QueuedSink&) = delete;
  QueuedSink& operator=(const QueuedSink&) = delete;

  void play(std::span<const std::uint8_t> bytes, std::function<void()> done) override;
  void reset() override;

 protected:
  // Starts the thread; the derived sink calls it once it is ready.
  void start();
  // Plays what is still queued and ends the thread; the derived sink calls
  // it first in its destructor (render must not outlive it).
  void stop();
  // Plays one buffer, returning early once dropping() is true.
  virtual void render(std::span<const std::uint8_t> bytes) = 0;
  // After a reset dropped the buffers: silences what the sink still holds.
  virtual void silence() {}
  bool dropping() const { return dropping_.load(); }
  // Waits for that long or until a reset begins; true when it waited it out.
  bool wait_for(std::chrono::nanoseconds how_long);
  const SoundFormat& format() const { return format_; }

 private:
  struct Item {
    std::span<const std::uint8_t> bytes;
    std::function<void()> done;
  };
  void run();

  SoundFormat format_;
  std::mutex m_;
  std::condition_variable cv_;
  std::deque<Item> queue_;
  bool resetting_ = false;
  bool quit_ = false;
  std::atomic<bool> dropping_{false};
  std::thread thread_;
};

}  // namespace plat::detail
