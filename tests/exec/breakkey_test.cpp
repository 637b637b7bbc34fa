// The break key that the random tests press on a run that does not end:
// after processor time or time slept, never after time spent waiting for a
// processor, so that a busy machine breaks off no run that an idle one lets
// end.
#include <gtest/gtest.h>

#include <sched.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <csignal>
#include <string>

#include "exec/script_runner.h"

namespace {

volatile std::sig_atomic_t pressed = 0;
void press(int) { pressed = 1; }

long long nanoseconds(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

void pin(int cpu) {
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(cpu, &set);
  sched_setaffinity(0, sizeof set, &set);
}

// The first processor this process may run on.
int firstcpu() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) != 0) return 0;
  for (int c = 0; c < CPU_SETSIZE; ++c)
    if (CPU_ISSET(c, &set)) return c;
  return 0;
}

enum class Work { spin, sleep };
constexpr int notpressed = 10, waspressed = 11;

// A child armed with the break key that works for ms of processor time
// (spin) or of sleep, ending early when the key comes; it tells which by its
// exit status. cpu >= 0 pins it to that processor.
pid_t worker(long cpu_ms, long slept_ms, Work work, long ms, int cpu) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  if (cpu >= 0) pin(cpu);
  scriptrun::breakkeyafter(press, cpu_ms, slept_ms);
  const clockid_t clock = work == Work::spin ? CLOCK_THREAD_CPUTIME_ID : CLOCK_MONOTONIC;
  const long long end = nanoseconds(clock) + ms * 1000000LL;
  while (pressed == 0 && nanoseconds(clock) < end) {
    if (work == Work::sleep) {
      const timespec slice{0, 20000000};
      nanosleep(&slice, nullptr);
    }
  }
  _exit(pressed != 0 ? waspressed : notpressed);
}

// The worker's exit status, or a message when it did not end within a minute.
std::string outcome(pid_t pid) {
  const long long deadline = nanoseconds(CLOCK_MONOTONIC) + 60000000000LL;
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (nanoseconds(CLOCK_MONOTONIC) > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return "the worker did not end within a minute";
    }
    const timespec slice{0, 10000000};
    nanosleep(&slice, nullptr);
  }
  if (!WIFEXITED(status)) return "the worker ended by signal " + std::to_string(WTERMSIG(status));
  if (WEXITSTATUS(status) == waspressed) return "pressed";
  if (WEXITSTATUS(status) == notpressed) return "not pressed";
  return "exit status " + std::to_string(WEXITSTATUS(status));
}

TEST(BreakKey, ComesAfterProcessorTimeOrSleepNeverAfterWaitingForAProcessor) {
  // A run that shares its processor with a busy process waits for it about
  // as long as it runs: 1.5 s of work take some 3 s, none of them slept.
  const int cpu = firstcpu();
  const pid_t hog = fork();
  if (hog == 0) {
    pin(cpu);
    volatile unsigned long spins = 0;
    for (;;) spins = spins + 1;
  }
  ASSERT_GT(hog, 0);
  const std::string shared = outcome(worker(600000, 300, Work::spin, 1500, cpu));
  kill(hog, SIGKILL);
  waitpid(hog, nullptr, 0);
  EXPECT_EQ(shared, "not pressed") << "1.5 s of processor time beside a busy process counted "
                                      "as more than 0.3 s of sleep";

  EXPECT_EQ(outcome(worker(600000, 300, Work::sleep, 20000, -1)), "pressed")
      << "20 s of sleep, the key due after 0.3 s";
  EXPECT_EQ(outcome(worker(200, 600000, Work::spin, 20000, -1)), "pressed")
      << "20 s of processor time, the key due after 0.2 s";
}

}  // namespace
