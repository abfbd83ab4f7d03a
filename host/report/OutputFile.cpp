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
#include <vector>
#include <sys/stat.h>

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

#if defined(_WIN32)
int WriteSome(int fd, const char *data, std::size_t n) { return _write(fd, data, unsigned(n)); }
int SyncToDisk(int fd) { return _commit(fd); }
int CloseFd(int fd) { return _close(fd); }
#else
int WriteSome(int fd, const char *data, std::size_t n) { return int(write(fd, data, n)); }
int SyncToDisk(int fd) { return fsync(fd); }
int CloseFd(int fd) { return close(fd); }
#endif

// Creates `path` if nothing is there (not even a link), so that a name planted beforehand is
// never written through; -1 when it cannot. The permissions are those of any new file (the
// umask applies) until Commit gives it those of the file it replaces.
int CreateNew(const std::string &path) {
#if defined(_WIN32)
  return _open(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, 0666);
#else
  return open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
#endif
}

// A stream's buffer over the descriptor that created the file.
class FdBuffer : public std::streambuf {
 public:
  explicit FdBuffer(int fd) : fd_(fd), buffer_(1 << 16) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
  }
  bool failed() const { return failed_; }

 protected:
  int_type overflow(int_type c) override {
    if (!Drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override { return Drain() ? 0 : -1; }

 private:
  bool Drain() {
    const char *at = pbase();
    while (at < pptr() && !failed_) {
      const int n = WriteSome(fd_, at, std::size_t(pptr() - at));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0)
        failed_ = true;
      else
        at += n;
    }
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return !failed_;
  }

  int fd_;
  std::vector<char> buffer_;
  bool failed_ = false;
};

// The hidden temporary's name beside `target`, within the 255 bytes a file name may have: as
// much of the target's name as fits (cut where a character starts), then the process and a count.
std::string TempName(const fs::path &target, unsigned count) {
  const std::string suffix =
      ".tmp-" + std::to_string(ORVANE_GETPID()) + "-" + std::to_string(count);
  std::string name = target.filename().string();
  const std::size_t room = 255 - 1 - suffix.size();
  if (name.size() > room) {
    std::size_t cut = room;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    name.resize(cut);
  }
  return (target.parent_path() / ("." + name + suffix)).string();
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
    temp_ = TempName(t, counter++);
    fd_ = CreateNew(temp_);
    if (fd_ >= 0) break;
    if (errno != EEXIST || attempt > 100)
      throw BadInput("cannot write " + target_ + ": " + std::strerror(errno));
  }
  {
    std::lock_guard<std::timed_mutex> lock(PendingLock());
    PendingFiles()[this] = Pending{temp_, target_, on_stop_ == OnStop::Keep};
  }
  buffer_ = std::make_unique<FdBuffer>(fd_);
  out_.rdbuf(buffer_.get());
}

OutputFile::~OutputFile() { Finish(on_stop_ == OnStop::Keep); }

void OutputFile::Close() noexcept {
  if (fd_ < 0) return;
  out_.flush();
  CloseFd(fd_);
  fd_ = -1;
}

void OutputFile::Commit() {
  if (done_) return;
  out_.flush();
  bool written = !out_.fail() && !static_cast<FdBuffer *>(buffer_.get())->failed();
#if !defined(_WIN32)
  // The file takes the place of the one there: it keeps that file's permissions.
  struct stat there {};
  if (written && lstat(target_.c_str(), &there) == 0 && S_ISREG(there.st_mode))
    written = fchmod(fd_, there.st_mode & 07777) == 0;
#endif
  // On disk before it is renamed, so that a crash of the machine cannot leave an empty file in
  // the target's place.
  written = written && SyncToDisk(fd_) == 0;
  const int close_result = CloseFd(fd_);
  fd_ = -1;
  written = written && close_result == 0;
  std::error_code ec;
  if (written) fs::rename(temp_, target_, ec);
  if (!written || ec) {
    const std::string why = ec ? ec.message() : std::strerror(errno);
    Finish(false);
    throw BadInput("cannot write " + target_ + ": " + why);
  }
  done_ = true;
  std::lock_guard<std::timed_mutex> lock(PendingLock());
  PendingFiles().erase(this);
}

void OutputFile::Finish(bool keep) noexcept {
  if (done_) return;
  done_ = true;
  Close();
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
