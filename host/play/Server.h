// The web server of `orvane-host play`: the loopback address only, one session, a token in
// every request's path, and no request whose Host or Origin names another site (a page of the
// internet that has a name resolve to 127.0.0.1 still sends its own name there).
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "play/Connections.h"
#include "play/PlaySession.h"

namespace httplib {
class Server;
}

namespace orvane::host::play {

// The longest request body the page sends (a step, a mouse point); anything longer is refused.
constexpr std::size_t kMaxRequestBytes = 1u << 20;

class Server {
 public:
  // Binds 127.0.0.1 at `port` (a free one for 0), and ::1 at the same port where the machine has
  // it. Throws BadInput when the port cannot be had.
  Server(PlaySession &session, int port);
  ~Server();
  Server(const Server &) = delete;
  Server &operator=(const Server &) = delete;

  // Plays the scenario's steps (PlaySession::Start) on the session's thread, where everything
  // the module is sent goes; a step that fails ends the session (global tear-down) and throws.
  void Start(std::ostream &notes);
  // The address to open, token included.
  std::string Url() const;
  // What the person should know about the addresses served (one that another program holds).
  const std::string &notice() const { return notice_; }
  int port() const { return port_; }
  // Serves until Stop() or the page's close; then the session has had its global tear-down
  // and its report (the problems, as `run` prints them) is in report().
  void Serve();
  // Safe from any thread.
  void Stop();
  const std::string &report() const { return report_; }
  int exit_code() const { return exit_code_; }

 private:
  void Route(httplib::Server &server);
  bool Allowed(const std::string &host, const std::string &origin) const;
  // Ends the session once (global tear-down) and keeps its report.
  void Close();
  // Runs `work` on the session's own thread and waits for it. The module sees one thread, as
  // in the application, and what the host keeps per thread (the layer's pixels) is made once.
  void OnSessionThread(const std::function<void()> &work);
  void SessionLoop();

  PlaySession &session_;
  std::mutex session_mutex_;  // one action of the page at a time
  std::thread session_thread_;
  std::mutex work_mutex_;
  std::condition_variable work_ready_;
  std::function<void()> work_;  // the action handed to the session's thread, if any
  bool work_done_ = false;
  bool session_thread_ends_ = false;
  std::atomic<bool> closed_{false};
  std::string token_;
  Connections connections_;
  int port_ = 0;
  std::string notice_;
  std::vector<std::unique_ptr<httplib::Server>> servers_;
  std::vector<std::string> hosts_;  // the Host values the page may send: "127.0.0.1:PORT", ...
  std::mutex stop_mutex_;
  std::condition_variable stop_;
  bool stopping_ = false;
  std::string report_;
  int exit_code_ = 0;
};

// 128 bits from the system's random source, as 32 hexadecimal digits.
std::string NewToken();

}  // namespace orvane::host::play
