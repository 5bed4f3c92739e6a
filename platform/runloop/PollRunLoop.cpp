#include "platform/runloop/PollRunLoop.h"

#include <poll.h>

#include <cerrno>
#include <system_error>

namespace quimbo {

PollRunLoop::PollRunLoop()
    : PollRunLoop([start = std::chrono::steady_clock::now()] {
        return std::chrono::duration_cast<Duration>(std::chrono::steady_clock::now() - start);
      }) {}

PollRunLoop::PollRunLoop(Clock clock) : elapsed_(std::move(clock)) {}

std::shared_ptr<RunLoop::Timer> PollRunLoop::scheduleRepeatingTimer(Duration interval,
                                                                    Action action) {
  return timers_.schedule(elapsed_(), interval, std::move(action));
}

void PollRunLoop::post(Action task) { tasks_.push_back(std::move(task)); }

void PollRunLoop::watch(int fd, Action onReadable, Action onHangUp) {
  watches_.push_back({fd, std::move(onReadable), std::move(onHangUp)});
}

void PollRunLoop::whenWritable(int fd, Action onWritable) {
  std::erase_if(writers_, [fd](const auto& writer) { return writer.first == fd; });
  writers_.emplace_back(fd, std::move(onWritable));
}

void PollRunLoop::handleSignals(std::initializer_list<int> signals,
                                std::function<void(int)> onSignal) {
  signals_.reset();  // an earlier set gives its signals back first
  handleSignals(SignalSource::make(signals), std::move(onSignal));
}

void PollRunLoop::handleSignals(std::unique_ptr<SignalSource> source,
                                std::function<void(int)> onSignal) {
  signals_ = std::move(source);
  onSignal_ = std::move(onSignal);
}

void PollRunLoop::stop(int status) {
  if (stopped_) return;
  stopped_ = true;
  status_ = status;
}

void PollRunLoop::runTasks() {
  while (!tasks_.empty() && !stopped_) {
    Action task = std::move(tasks_.front());
    tasks_.pop_front();
    task();
  }
}

void PollRunLoop::readSignals() {
  signals_->drain([&](int signal) {
    if (onSignal_) onSignal_(signal);
    runTasks();
  });
}

int PollRunLoop::run() {
  std::vector<pollfd> fds;
  while (!stopped_) {
    runTasks();
    if (stopped_) break;
    if (idle_) idle_();
    if (stopped_) break;

    fds.clear();
    // A watch that hung up stays in the list with a negative fd: poll skips it.
    for (const Watch& w : watches_) fds.push_back({w.open ? w.fd : -1, POLLIN, 0});
    for (const auto& [fd, action] : writers_) fds.push_back({fd, POLLOUT, 0});
    const int signalFd = signals_ ? signals_->fd() : -1;
    if (signalFd >= 0) fds.push_back({signalFd, POLLIN, 0});
    int timeout = -1;
    if (const auto due = timers_.nextDue()) {
      timeout = static_cast<int>(std::max<Duration::rep>(0, (*due - elapsed_()).count()));
    }
    const int ready = ::poll(fds.data(), fds.size(), timeout);
    if (ready < 0 && errno != EINTR) {
      throw std::system_error(errno, std::generic_category(), "poll");
    }
    // Those that became writable wait no more; their actions may wait anew.
    const std::size_t watched = watches_.size();
    std::vector<Action> writable;
    for (std::size_t i = watched, w = 0; w < writers_.size(); ++i) {
      if (ready > 0 && fds[i].revents != 0) {
        writable.push_back(std::move(writers_[w].second));
        writers_.erase(writers_.begin() + static_cast<std::ptrdiff_t>(w));
      } else {
        ++w;
      }
    }
    for (std::size_t i = 0; ready > 0 && i < fds.size() && !stopped_; ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == signalFd) {
        readSignals();
        continue;
      }
      if (i >= watched) continue;  // a writer, called below
      if (fds[i].revents & POLLIN) watches_[i].onReadable();
      // A hung-up terminal reports POLLIN with POLLHUP, and its reads fail at
      // once: the input left has just been read, and polling the fd again
      // would return at once, for ever.
      if ((fds[i].revents & (POLLHUP | POLLERR | POLLNVAL)) && !stopped_) {
        watches_[i].open = false;
        if (watches_[i].onHangUp) watches_[i].onHangUp();
      }
      runTasks();
    }
    for (Action& action : writable) {
      if (stopped_) break;
      action();
      runTasks();
    }
    if (!stopped_) timers_.fireDue(elapsed_());
  }
  return status_;
}

}  // namespace quimbo
