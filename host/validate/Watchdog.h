// Cuts a hang short: unless stopped within its time, the watchdog reports what was under way as
// timed out and ends the process with exit code 1. A module stuck in a command cannot be
// interrupted from inside the process, so ending it is the only sound way out.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace orvane::host {

class Watchdog {
 public:
  // `seconds` of at most a day; `prefix` starts the message ("orvane-host: ").
  Watchdog(double seconds, std::string prefix);
  ~Watchdog();  // stops it
  Watchdog(const Watchdog &) = delete;
  Watchdog &operator=(const Watchdog &) = delete;

  // What is under way now, for the message ("step 3 (press Bake Masks)").
  void SetActivity(const std::string &activity);
  // Run on the watchdog's thread after the message, just before the process ends (to put the
  // files being written in order); it must not wait for the stuck thread.
  void OnTimeout(std::function<void()> last_words);

 private:
  void Watch(double seconds);

  std::string prefix_;
  std::mutex mutex_;
  std::condition_variable stop_;
  bool stopped_ = false;
  std::string activity_ = "starting";
  std::function<void()> last_words_;
  std::thread thread_;
};

}  // namespace orvane::host
