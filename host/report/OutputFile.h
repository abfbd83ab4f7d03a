// A file the host writes, there whole or not at all: it is written to a temporary file beside
// its target and renamed over the target once complete, so a failure, a time-out or a crash
// leaves the file that was there before (or none), never half of the new one. The temporary file
// is written through the descriptor that created it, never opened again by name, and is on disk
// before the rename.
#pragma once

#include <memory>
#include <ostream>
#include <streambuf>
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

  std::ostream &stream() { return out_; }
  const std::string &target() const { return target_; }
  // Flushes the file to disk, gives it the permissions of the file it replaces (if any), closes
  // it and puts it in its target's place; throws BadInput when the writing or the renaming
  // failed (the temporary is removed then).
  void Commit();

  // For a watchdog that ends the process: every file not yet committed is dropped or kept as
  // its `on_stop` says. Safe from another thread; gives up rather than wait for a lock.
  static void StopAll();

 private:
  void Finish(bool keep) noexcept;
  void Close() noexcept;

  std::string target_;
  std::string temp_;
  OnStop on_stop_;
  int fd_ = -1;
  std::unique_ptr<std::streambuf> buffer_;
  std::ostream out_{nullptr};
  bool done_ = false;
};

}  // namespace orvane::host
