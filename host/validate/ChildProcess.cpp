#include "validate/ChildProcess.h"

#if !defined(_WIN32)
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace orvane::host {

namespace {

// In the child: runs the check and writes its result to `out` as JSON, then ends.
[[noreturn]] void RunCheckAndReport(const Check &check, const std::string &module_path,
                                    const ValidateOptions &options, int out) {
  CheckResult own{
      check.id, check.description, CheckResult::Outcome::Passed, {}, CheckJson::object()};
  try {
    Module module(module_path);
    check.run(CheckContext{module, options.seed}, own);
  } catch (const std::exception &e) {
    Fail(own, std::string("the check stopped: ") + e.what());
  }
  const std::string text =
      ToJson({own})["checks"][0].dump(-1, ' ', false, CheckJson::error_handler_t::replace);
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(out, text.data() + done, text.size() - done);
    if (n <= 0) break;
    done += std::size_t(n);
  }
  _exit(0);
}

// In the parent: what the child writes until it closes its end, or until `seconds` have passed
// (then `timed_out` is set). The time is the check's, however its result arrives.
std::string ReadWithin(int in, double seconds, bool *timed_out) {
  std::string text;
  char buffer[4096];
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                            std::chrono::duration<double>(seconds));
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd p{in, POLLIN, 0};
    int ready = left.count() > 0 ? poll(&p, 1, int(left.count())) : 0;
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) {
      *timed_out = true;
      return text;
    }
    ssize_t n = read(in, buffer, sizeof buffer);
    if (n <= 0) return text;
    text.append(buffer, std::size_t(n));
  }
}

}  // namespace

CheckResult RunInChild(const Check &check, const std::string &module_path,
                       const ValidateOptions &options) {
  CheckResult result{
      check.id, check.description, CheckResult::Outcome::Crashed, {}, CheckJson::object()};
  int fds[2];
  if (pipe(fds) != 0) {
    result.failures.push_back("could not start a child process");
    return result;
  }
  std::fflush(nullptr);
  pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    RunCheckAndReport(check, module_path, options, fds[1]);
  }
  close(fds[1]);
  bool timed_out = false;
  const std::string text = ReadWithin(fds[0], options.timeout_seconds, &timed_out);
  if (timed_out) kill(child, SIGKILL);
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (timed_out) {
    result.outcome = CheckResult::Outcome::TimedOut;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%g", options.timeout_seconds);
    result.failures.push_back(std::string("no result within ") + seconds +
                              " s (--timeout): the module hangs or is far too slow");
  } else if (WIFSIGNALED(status)) {
    result.failures.push_back(std::string("crashed with signal ") + strsignal(WTERMSIG(status)));
  } else if (!text.empty()) {
    CheckJson j = CheckJson::parse(text, nullptr, false);
    if (!j.is_discarded()) {
      result.outcome =
          j["outcome"] == "passed" ? CheckResult::Outcome::Passed : CheckResult::Outcome::Failed;
      result.failures = j["failures"].get<std::vector<std::string>>();
      result.figures = j["figures"];
    }
  } else {
    result.failures.push_back("the child process ended without a result");
  }
  return result;
}

}  // namespace orvane::host
#endif
