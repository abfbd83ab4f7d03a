#include "play/Connections.h"

#include <httplib.h>
#include <poll.h>
#include <sys/socket.h>
#include <netdb.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace orvane::host::play {

namespace {

using Clock = std::chrono::steady_clock;

// A connection's bytes as the library reads them, held to the deadline. The request line is
// looked at as it arrives, so that a path without the token is known before the headers are.
class DeadlineStream : public httplib::Stream {
 public:
  DeadlineStream(int sock, const std::string &token_prefix)
      : sock_(sock), prefix_(token_prefix), deadline_(Clock::now() + kRequestDeadline) {}

  bool is_readable() const override { return pos_ < len_ || Wait(POLLIN, deadline_); }
  bool is_writable() const override { return Wait(POLLOUT, Clock::now() + kRequestDeadline); }

  ssize_t read(char *ptr, size_t size) override {
    if (pos_ == len_) {
      if (!Wait(POLLIN, deadline_)) return -1;
      const ssize_t n = ::recv(sock_, buffer_, sizeof buffer_, 0);
      if (n <= 0) return n;
      pos_ = 0;
      len_ = std::size_t(n);
      LookAtRequestLine();
    }
    const std::size_t n = std::min(size, len_ - pos_);
    std::memcpy(ptr, buffer_ + pos_, n);
    pos_ += n;
    return ssize_t(n);
  }

  ssize_t write(const char *ptr, size_t size) override {
    std::size_t sent = 0;
    while (sent < size) {
      if (!is_writable()) return -1;
      const ssize_t n = ::send(sock_, ptr + sent, size - sent, MSG_NOSIGNAL);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return -1;
      sent += std::size_t(n);
    }
    return ssize_t(size);
  }

  void get_remote_ip_and_port(std::string &ip, int &port) const override {
    Address(::getpeername, ip, port);
  }
  void get_local_ip_and_port(std::string &ip, int &port) const override {
    Address(::getsockname, ip, port);
  }
  socket_t socket() const override { return sock_; }

 private:
  bool Wait(short events, Clock::time_point until) const {
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
      if (left.count() <= 0) return false;
      pollfd fd{sock_, events, 0};
      const int n = ::poll(&fd, 1, int(left.count()));
      if (n < 0 && errno == EINTR) continue;
      return n > 0;
    }
  }

  // "GET /<token>/... HTTP/1.1": once the path has as many bytes as the token's prefix, or has
  // ended, it either starts with it or the request is refused, and only a moment is left for
  // the headers the answer needs.
  void LookAtRequestLine() {
    if (checked_) return;
    line_.append(buffer_, std::min(len_, kLineBytes - std::min(kLineBytes, line_.size())));
    const std::size_t start = line_.find(' ');
    if (start == std::string::npos) {
      checked_ = line_.size() >= kLineBytes || line_.find('\n') != std::string::npos;
    } else {
      const std::string path = line_.substr(start + 1, prefix_.size());
      const std::size_t end = path.find_first_of(" \r\n");
      if (end == std::string::npos && path.size() < prefix_.size()) {
        checked_ = line_.size() >= kLineBytes;
        if (!checked_ && prefix_.compare(0, path.size(), path) == 0) return;
      }
      checked_ = true;
      if (path == prefix_) return;
    }
    if (checked_) deadline_ = std::min(deadline_, Clock::now() + kRefusedDeadline);
  }

  template <typename Call>
  void Address(Call call, std::string &ip, int &port) const {
    sockaddr_storage addr{};
    socklen_t size = sizeof addr;
    ip.clear();
    port = 0;
    if (call(sock_, reinterpret_cast<sockaddr *>(&addr), &size) != 0) return;
    char host[NI_MAXHOST], serv[NI_MAXSERV];
    if (::getnameinfo(reinterpret_cast<sockaddr *>(&addr), size, host, sizeof host, serv,
                      sizeof serv, NI_NUMERICHOST | NI_NUMERICSERV) == 0) {
      ip = host;
      port = std::atoi(serv);
    }
  }

  static constexpr std::size_t kLineBytes = 512;
  int sock_;
  const std::string &prefix_;
  Clock::time_point deadline_;
  char buffer_[4096];
  std::size_t pos_ = 0, len_ = 0;
  std::string line_;
  bool checked_ = false;
};

class DeadlineServer : public httplib::Server {
 public:
  explicit DeadlineServer(Connections &connections) : connections_(connections) {}

 private:
  // One request a connection: the page's requests are small and on the loopback interface, and
  // a connection left open between requests would be one more to wait for at the end.
  bool process_and_close_socket(socket_t sock) override {
    bool served = false;
    if (connections_.Open(sock)) {
      DeadlineStream stream(sock, connections_.token_prefix());
      bool connection_closed = false;
      served = process_request(stream, true, connection_closed,
                               [&](httplib::Request &) { connections_.Close(sock); });
    }
    connections_.Close(sock);
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    return served;
  }

  Connections &connections_;
};

}  // namespace

std::unique_ptr<httplib::Server> Connections::NewServer() {
  return std::make_unique<DeadlineServer>(*this);
}

bool Connections::Open(int socket) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (closed_) return false;
  reading_.insert(socket);
  return true;
}

void Connections::Close(int socket) {
  std::lock_guard<std::mutex> lock(mutex_);
  reading_.erase(socket);
}

void Connections::CloseAll() {
  std::lock_guard<std::mutex> lock(mutex_);
  closed_ = true;
  for (int socket : reading_) ::shutdown(socket, SHUT_RDWR);
}

}  // namespace orvane::host::play
