#include "platform/linux/EveryThread.h"

#include <dirent.h>
#include <linux/futex.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <fstream>
#include <set>
#include <thread>
#include <vector>

#include "platform/files/FileFault.h"

namespace quimbo {

namespace {

// How long the threads have to answer, all together: each answers as soon
// as it is scheduled, but a busy machine may keep one waiting.
constexpr std::chrono::seconds kPatience{5};
// A thread being started blocks every signal until its own code runs (the
// C library unblocks them there): how long one may take to.
constexpr std::chrono::milliseconds kStarting{100};

// What the handler takes and gives back. A signal handler has no other way
// in: this is the one place it can be, and it outlives a broadcast whose
// threads did not all answer in time.
struct Broadcast {
  std::atomic<int (*)(int)> task{nullptr};
  std::atomic<int> argument{-1};
  std::atomic<int> answered{0};  // also the futex the caller waits on
  std::atomic<int> failure{0};   // the first errno a task returned
};
Broadcast broadcast;
static_assert(std::atomic<int>::is_always_lock_free && sizeof(std::atomic<int>) == sizeof(int));

void onSignal(int) {
  const int saved = errno;
  if (const int error = broadcast.task.load()(broadcast.argument.load())) {
    int none = 0;
    broadcast.failure.compare_exchange_strong(none, error);
  }
  broadcast.answered.fetch_add(1);
  ::syscall(SYS_futex, &broadcast.answered, FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
  errno = saved;
}

// The process's threads not in `known`.
std::vector<pid_t> threadsBut(const std::set<pid_t>& known) {
  std::vector<pid_t> threads;
  DIR* folder = ::opendir("/proc/self/task");
  if (folder == nullptr) return threads;
  while (const dirent* entry = ::readdir(folder)) {
    pid_t tid = 0;
    const char* end = entry->d_name + std::strlen(entry->d_name);
    if (std::from_chars(entry->d_name, end, tid).ptr == end && tid > 0 && !known.contains(tid)) {
      threads.push_back(tid);
    }
  }
  ::closedir(folder);
  return threads;
}

// Whether the thread blocks `signal`, by its mask in /proc.
bool blocksNow(pid_t tid, int signal) {
  std::ifstream status("/proc/self/task/" + std::to_string(tid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("SigBlk:")) {
      return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1)) & 1;
    }
  }
  return false;
}

// Whether the thread blocks `signal` for longer than a thread being started.
bool blocks(pid_t tid, int signal) {
  const auto deadline = std::chrono::steady_clock::now() + kStarting;
  while (blocksNow(tid, signal)) {
    if (std::chrono::steady_clock::now() > deadline) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

std::string nameOf(pid_t tid) {
  std::ifstream comm("/proc/self/task/" + std::to_string(tid) + "/comm");
  std::string name;
  std::getline(comm, name);
  return "thread " + std::to_string(tid) + " (" + name + ")";
}

// Waits until `count` threads have answered; false when they do not in time.
bool answers(int count, std::chrono::steady_clock::time_point deadline) {
  for (int seen; (seen = broadcast.answered.load()) < count;) {
    const auto left = deadline - std::chrono::steady_clock::now();
    if (left <= std::chrono::nanoseconds::zero()) return false;
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
    const timespec wait{seconds.count(), (left - seconds).count()};
    ::syscall(SYS_futex, &broadcast.answered, FUTEX_WAIT_PRIVATE, seen, &wait, nullptr, 0);
  }
  return true;
}

// Asks each of `threads` that is still there; how many were asked, or why not.
std::optional<Failure> ask(const std::vector<pid_t>& threads, int signal, int& asked) {
  for (const pid_t tid : threads) {
    if (blocks(tid, signal))
      return Failure{nameOf(tid) + " blocks the signal that would confine it"};
  }
  for (const pid_t tid : threads) {
    if (::syscall(SYS_tgkill, ::getpid(), tid, signal) == 0) {
      ++asked;
    } else if (errno != ESRCH) {  // ESRCH: it has ended meanwhile
      return systemFailure(nameOf(tid) + " cannot be signalled");
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<Failure> inEveryOtherThread(int (*task)(int), int argument) {
  const int signal = SIGRTMIN;
  broadcast.task = task;
  broadcast.argument = argument;
  broadcast.answered = 0;
  broadcast.failure = 0;
  struct sigaction ours = {};
  struct sigaction theirs = {};
  ours.sa_handler = onSignal;
  ours.sa_flags = SA_RESTART;
  sigfillset(&ours.sa_mask);
  if (::sigaction(signal, &ours, &theirs) != 0) {
    return systemFailure("no handler");
  }

  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  std::set<pid_t> known = {static_cast<pid_t>(::syscall(SYS_gettid))};
  std::optional<Failure> fault;
  int asked = 0;
  // Until no thread is new: one that was not asked may have started another.
  for (std::vector<pid_t> fresh; !fault && !(fresh = threadsBut(known)).empty();) {
    known.insert(fresh.begin(), fresh.end());
    fault = ask(fresh, signal, asked);
    if (!fault && !answers(asked, deadline)) fault = Failure{"a thread did not answer in time"};
  }
  if (!fault && broadcast.failure != 0) fault = Failure{std::strerror(broadcast.failure)};
  // A thread still to answer finds the handler in place.
  if (broadcast.answered == asked) ::sigaction(signal, &theirs, nullptr);
  return fault;
}

}  // namespace quimbo
