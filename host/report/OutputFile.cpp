#include "report/OutputFile.h"

#include <fcntl.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>

#include "model/Errors.h"

#if defined(_WIN32)
#include <io.h>
#include <process.h>
#define ORVANE_GETPID _getpid
#else
#include <unistd.h>
#define ORVANE_GETPID getpid
#endif

namespace orvane::host {

namespace fs = std::filesystem;

namespace {

struct Pending {
  std::string temp, target;
  bool keep;
};

// The files not yet committed, for StopAll. A timed mutex, so that a watchdog never waits on a
// thread that is stuck while holding it.
std::timed_mutex &PendingLock() {
  static std::timed_mutex lock;
  return lock;
}
std::map<const OutputFile *, Pending> &PendingFiles() {
  static std::map<const OutputFile *, Pending> files;
  return files;
}

// Creates `path` if nothing is there (not even a link), so that a name planted beforehand is
// never written through. The permissions are those of any new file (the umask applies).
bool CreateNew(const std::string &path) {
#if defined(_WIN32)
  const int fd = _open(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, 0666);
  if (fd < 0) return false;
  _close(fd);
#else
  const int fd = open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  close(fd);
#endif
  return true;
}

}  // namespace

OutputFile::OutputFile(std::string target, OnStop on_stop)
    : target_(std::move(target)), on_stop_(on_stop) {
  static std::atomic<unsigned> counter{0};
  const fs::path t(target_);
  std::error_code ec;
  if (fs::is_directory(t, ec)) throw BadInput("cannot write " + target_ + ": it is a folder");
  for (int attempt = 0;; ++attempt) {
    // Hidden, beside the target (a rename across file systems would not be one step).
    temp_ = (t.parent_path() / ("." + t.filename().string() + ".tmp-" +
                                std::to_string(ORVANE_GETPID()) + "-" + std::to_string(counter++)))
                .string();
    if (CreateNew(temp_)) break;
    if (errno != EEXIST || attempt > 100)
      throw BadInput("cannot write " + target_ + ": " + std::strerror(errno));
  }
  {
    std::lock_guard<std::timed_mutex> lock(PendingLock());
    PendingFiles()[this] = Pending{temp_, target_, on_stop_ == OnStop::Keep};
  }
  out_.open(temp_, std::ios::binary | std::ios::trunc);
  if (!out_) {
    Finish(false);
    throw BadInput("cannot write " + target_);
  }
}

OutputFile::~OutputFile() { Finish(on_stop_ == OnStop::Keep); }

void OutputFile::Commit() {
  if (done_) return;
  if (out_.is_open()) out_.close();
  const bool written = !out_.fail();
  std::error_code ec;
  if (written) fs::rename(temp_, target_, ec);
  if (!written || ec) {
    Finish(false);
    throw BadInput("cannot write " + target_ + (ec ? ": " + ec.message() : std::string()));
  }
  done_ = true;
  std::lock_guard<std::timed_mutex> lock(PendingLock());
  PendingFiles().erase(this);
}

void OutputFile::Finish(bool keep) noexcept {
  if (done_) return;
  done_ = true;
  if (out_.is_open()) out_.close();
  std::error_code ec;
  if (keep) fs::rename(temp_, target_, ec);
  if (!keep || ec) fs::remove(temp_, ec);
  std::lock_guard<std::timed_mutex> lock(PendingLock());
  PendingFiles().erase(this);
}

void OutputFile::StopAll() {
  std::unique_lock<std::timed_mutex> lock(PendingLock(), std::defer_lock);
  if (!lock.try_lock_for(std::chrono::milliseconds(200))) return;
  for (const auto &[file, pending] : PendingFiles()) {
    (void)file;
    if (pending.keep && std::rename(pending.temp.c_str(), pending.target.c_str()) == 0) continue;
    std::remove(pending.temp.c_str());
  }
  PendingFiles().clear();
}

}  // namespace orvane::host
