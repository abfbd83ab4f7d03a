// A file the host writes, there whole or not at all: it is written to a temporary file beside
// its target and renamed over the target once complete, so a failure, a time-out or a crash
// leaves the file that was there before (or none), never half of the new one.
#pragma once

#include <fstream>
#include <string>

namespace orvane::host {

class OutputFile {
 public:
  // What becomes of the written part when the run stops before Commit (an exception, a
  // time-out): dropped, or kept as far as it got, for a log whose last line is what the user
  // needs (the call trace).
  enum class OnStop { Drop, Keep };

  // Creates the temporary file; throws BadInput ("cannot write TARGET: why") when it cannot.
  explicit OutputFile(std::string target, OnStop on_stop = OnStop::Drop);
  ~OutputFile();  // a file not committed is dropped or kept as `on_stop` says
  OutputFile(const OutputFile &) = delete;
  OutputFile &operator=(const OutputFile &) = delete;

  // For writers that take a stream; for writers that take a path, temp_path().
  std::ostream &stream() { return out_; }
  const std::string &temp_path() const { return temp_; }
  const std::string &target() const { return target_; }
  // Closes the file and puts it in its target's place; throws BadInput when the writing or the
  // renaming failed (the temporary is removed then).
  void Commit();

  // For a watchdog that ends the process: every file not yet committed is dropped or kept as
  // its `on_stop` says. Safe from another thread; gives up rather than wait for a lock.
  static void StopAll();

 private:
  void Finish(bool keep) noexcept;

  std::string target_;
  std::string temp_;
  OnStop on_stop_;
  std::ofstream out_;
  bool done_ = false;
};

}  // namespace orvane::host
