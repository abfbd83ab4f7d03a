// The connections of the page's web server, each held to a deadline: a request's line, headers
// and body must arrive within kRequestDeadline of its connection, and a request whose path does
// not start with the session's token gets only a moment more (enough for the headers a browser
// sends at once, so that it is still answered 403). A client that trickles bytes, with or
// without the token, holds a worker no longer than that, and Stop() ends every connection still
// being read at once.
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace httplib {
class Server;
}

namespace orvane::host::play {

constexpr std::chrono::milliseconds kRequestDeadline{5000};
constexpr std::chrono::milliseconds kRefusedDeadline{250};

class Connections {
 public:
  explicit Connections(std::string token_prefix) : token_prefix_(std::move(token_prefix)) {}
  // A server whose connections are these: one request a connection, read within the deadline.
  std::unique_ptr<httplib::Server> NewServer();
  // Ends the reading of every connection whose request has not arrived whole.
  void CloseAll();

  // For the server's connections (Connections.cpp).
  const std::string &token_prefix() const { return token_prefix_; }
  bool Open(int socket);  // false once CloseAll was called
  void Close(int socket);

 private:
  std::string token_prefix_;
  std::mutex mutex_;
  std::set<int> reading_;
  bool closed_ = false;
};

}  // namespace orvane::host::play
