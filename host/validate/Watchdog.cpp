#include "validate/Watchdog.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace orvane::host {

Watchdog::Watchdog(double seconds, std::string prefix)
    : prefix_(std::move(prefix)), thread_([this, seconds] { Watch(seconds); }) {}

Watchdog::~Watchdog() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
  }
  stop_.notify_all();
  thread_.join();
}

void Watchdog::SetActivity(const std::string &activity) {
  std::lock_guard<std::mutex> lock(mutex_);
  activity_ = activity;
}

void Watchdog::OnTimeout(std::function<void()> last_words) {
  std::lock_guard<std::mutex> lock(mutex_);
  last_words_ = std::move(last_words);
}

void Watchdog::Watch(double seconds) {
  std::unique_lock<std::mutex> lock(mutex_);
  const auto limit = std::chrono::duration<double>(seconds);
  if (stop_.wait_for(lock, limit, [this] { return stopped_; })) return;
  std::fprintf(stderr, "%s%s timed out after %g s\n", prefix_.c_str(), activity_.c_str(), seconds);
  std::fflush(stderr);
  if (last_words_) last_words_();
  // Nothing else may run: the stuck thread still holds whatever it held.
  std::_Exit(1);
}

}  // namespace orvane::host
