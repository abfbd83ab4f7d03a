#include "play/Server.h"

#include <httplib.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>

#include "model/Errors.h"
#include "play/PageFiles.h"
#include "scenario/ScenarioFile.h"

namespace orvane::host::play {

namespace {

using httplib::Request;
using httplib::Response;

const char *ContentType(const std::string &name) {
  auto ends = [&](const std::string &suffix) {
    return name.size() >= suffix.size() &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
  };
  if (ends(".html")) return "text/html; charset=utf-8";
  if (ends(".css")) return "text/css; charset=utf-8";
  if (ends(".js")) return "text/javascript; charset=utf-8";
  if (ends(".png")) return "image/png";
  return "application/octet-stream";
}

// Equal strings of the token's length, in a time that does not tell how much of the token a
// guess got right.
bool SameToken(const std::string &given, const std::string &token) {
  if (given.size() != token.size()) return false;
  unsigned char diff = 0;
  for (std::size_t i = 0; i < token.size(); ++i)
    diff |= static_cast<unsigned char>(given[i] ^ token[i]);
  return diff == 0;
}

void SendJson(Response &res, const Json &body, int status = 200) {
  res.status = status;
  // "; charset=utf-8" also keeps the library from compressing the answer, which costs far more
  // than sending it whole over the loopback interface. Text that is not UTF-8 (a path the
  // browser was given) is sent with U+FFFD in its place.
  res.set_content(body.dump(-1, ' ', false, Json::error_handler_t::replace),
                  "application/json; charset=utf-8");
}

void Refuse(Response &res, int status, const std::string &why) {
  SendJson(res, {{"error", why}}, status);
}

// A body the page sent: JSON within the scenario limits (nesting, size), or BadInput.
Json Body(const Request &req) { return ParseScenario(req.body, "the request", Limits()); }

// The window point of a mouse move or release: {"point": [x, y]}.
Json MousePoint(const Request &req) {
  const Json body = Body(req);
  if (!body.is_object() || !body.contains("point"))
    throw BadInput("a mouse move or release gives \"point\": its window point [x, y]");
  return body.at("point");
}

WindowKind WindowParam(const Request &req) {
  const std::string window = req.get_param_value("window");
  if (window != "comp" && window != "layer") throw BadInput("\"window\" is \"comp\" or \"layer\"");
  return window == "comp" ? WindowKind::Comp : WindowKind::Layer;
}

double TimeParam(const Request &req) {
  char *end = nullptr;
  const std::string t = req.get_param_value("time");
  const double time = std::strtod(t.c_str(), &end);
  if (t.empty() || *end || !std::isfinite(time)) throw BadInput("\"time\" is a number of seconds");
  return time;
}

// Whether the machine has ::1 at all: a port of it that cannot be had is then another program's.
bool HasIpv6Loopback() {
  httplib::Server probe;
  return probe.bind_to_any_port("::1") > 0;
}

// SO_REUSEPORT, which the library sets by default, would let another program of the same user
// bind the same port and take the page's requests; only SO_REUSEADDR is kept.
void SocketOptions(socket_t sock) {
  int yes = 1;
  setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

}  // namespace

std::string NewToken() {
  std::random_device random;
  std::string token;
  for (int i = 0; i < 4; ++i) {
    char part[9];
    std::snprintf(part, sizeof part, "%08x", static_cast<unsigned>(random()));
    token += part;
  }
  return token;
}

Server::Server(PlaySession &session, int port)
    : session_(session), token_(NewToken()), connections_("/" + token_ + "/") {
  auto v4 = connections_.NewServer();
  v4->set_socket_options(SocketOptions);
  if (port == 0) {
    port_ = v4->bind_to_any_port("127.0.0.1");
    if (port_ < 0) throw BadInput("cannot listen on 127.0.0.1: no free port");
  } else {
    if (!v4->bind_to_port("127.0.0.1", port))
      throw BadInput("cannot listen on 127.0.0.1:" + std::to_string(port) +
                     " (in use? --port 0 takes a free one)");
    port_ = port;
  }
  servers_.push_back(std::move(v4));
  // ::1 as well where the machine has it. A browser may take "localhost" to either address, so
  // when another program holds the port on ::1 the name is not served at all: its requests
  // would reach that program.
  auto v6 = connections_.NewServer();
  v6->set_socket_options(SocketOptions);
  const bool v6_bound = v6->bind_to_port("::1", port_);
  if (v6_bound) servers_.push_back(std::move(v6));
  const std::string p = ":" + std::to_string(port_);
  hosts_ = {"127.0.0.1" + p};
  if (v6_bound) {
    hosts_.push_back("localhost" + p);
    hosts_.push_back("[::1]" + p);
  } else if (HasIpv6Loopback()) {
    notice_ = "[::1]" + p + " is held by another program: open 127.0.0.1" + p +
              ", not localhost, which this session does not answer\n";
  } else {
    hosts_.push_back("localhost" + p);
  }
  for (auto &server : servers_) Route(*server);
  session_thread_ = std::thread([this] { SessionLoop(); });
}

void Server::Start(std::ostream &notes) {
  bool failed = false;
  std::string why;
  OnSessionThread([&] {
    try {
      session_.Start(notes);
    } catch (const BadInput &e) {
      failed = true;
      why = e.what();
    }
  });
  if (!failed) return;
  // The module was set up: it is told the session ends, as when the application quits.
  Close();
  throw BadInput(why);
}

Server::~Server() {
  Stop();
  {
    std::lock_guard<std::mutex> lock(work_mutex_);
    session_thread_ends_ = true;
    work_ready_.notify_all();
  }
  session_thread_.join();
}

std::string Server::Url() const {
  return "http://127.0.0.1:" + std::to_string(port_) + "/" + token_ + "/";
}

bool Server::Allowed(const std::string &host, const std::string &origin) const {
  bool host_ok = false, origin_ok = origin.empty();
  for (const std::string &allowed : hosts_) {
    host_ok = host_ok || host == allowed;
    origin_ok = origin_ok || origin == "http://" + allowed;
  }
  return host_ok && origin_ok;
}

void Server::Route(httplib::Server &server) {
  server.set_payload_max_length(kMaxRequestBytes);
  server.set_pre_routing_handler([this](const Request &req, Response &res) {
    res.set_header("Cache-Control", "no-store");
    res.set_header("X-Content-Type-Options", "nosniff");
    res.set_header("Referrer-Policy", "no-referrer");
    res.set_header("Content-Security-Policy",
                   "default-src 'self'; img-src 'self' blob: data:; frame-ancestors 'none'");
    if (!Allowed(req.get_header_value("Host"), req.get_header_value("Origin"))) {
      Refuse(res, 403, "this server answers pages of " + hosts_.front() + " only");
      return httplib::Server::HandlerResponse::Handled;
    }
    const std::string prefix = "/" + token_ + "/";
    const std::string given = req.path.substr(0, std::min(req.path.size(), prefix.size()));
    if (!SameToken(given, prefix)) {
      Refuse(res, 403, "the address lacks the session's token: open the URL play printed");
      return httplib::Server::HandlerResponse::Handled;
    }
    return httplib::Server::HandlerResponse::Unhandled;
  });

  // Every action of the page: a body in, the state (or `answer`'s own) out, one at a time,
  // refused with the message `run` gives for the same input.
  auto act = [this](auto action) {
    return [this, action](const Request &req, Response &res) {
      std::lock_guard<std::mutex> lock(session_mutex_);
      if (closed_) return Refuse(res, 410, "the session has ended");
      OnSessionThread([&] {
        try {
          action(req, res);
          if (res.body.empty()) SendJson(res, session_.State());
        } catch (const BadInput &e) {
          Json state = Json::object();
          try {
            state = session_.State();
          } catch (const std::exception &) {
            // The message of the refusal is what matters; the page keeps the state it has.
          }
          state["error"] = e.what();
          SendJson(res, state, 400);
        } catch (const std::exception &e) {
          Refuse(res, 500, std::string("the host failed: ") + e.what());
        }
      });
    };
  };
  const std::string api = R"(/[0-9a-f]+/api/)";
  // Answered without the session: the page asks every second whether the session goes on.
  server.Get(api + "alive", [this](const Request &, Response &res) {
    SendJson(res, {{"alive", !closed_}}, closed_ ? 410 : 200);
  });
  server.Get(api + "state", act([](const Request &, Response &) {}));
  server.Post(api + "step",
              act([this](const Request &req, Response &) { session_.Step(Body(req)); }));
  server.Post(api + "mouse/down", act([this](const Request &req, Response &res) {
                session_.MouseDown(Body(req));
                SendJson(res, session_.DragAnswer());
              }));
  server.Post(api + "mouse/move", act([this](const Request &req, Response &res) {
                session_.MouseMove(MousePoint(req));
                SendJson(res, session_.DragAnswer());
              }));
  // The release answers with the whole state (the history has its entry now) and the window.
  server.Post(api + "mouse/up", act([this](const Request &req, Response &res) {
                session_.MouseUp(MousePoint(req));
                Json state = session_.State();
                state["picture"] = session_.DragAnswer().at("picture");
                SendJson(res, state);
              }));
  server.Get(api + "view", act([this](const Request &req, Response &res) {
               SendJson(res, session_.View(WindowParam(req), TimeParam(req)));
             }));
  server.Get(api + "frame", act([this](const Request &req, Response &res) {
               res.set_content(session_.LayerPicture(WindowParam(req), TimeParam(req)),
                               "image/png");
             }));
  server.Get(api + "picture", act([this](const Request &req, Response &res) {
               res.set_content(session_.Picture(WindowParam(req), TimeParam(req)), "image/png");
             }));
  server.Get(api + "scenario", act([this](const Request &, Response &res) {
               res.set_content(session_.Scenario().dump(2) + "\n",
                               "application/json; charset=utf-8");
             }));
  // The page's own files (after the API, whose paths the pattern would take too).
  server.Get(R"(/[0-9a-f]+/(.*))", [](const Request &req, Response &res) {
    std::string name = req.matches[1];
    if (name.empty()) name = "index.html";
    const PageFile *file = FindPageFile(name);
    if (!file) return Refuse(res, 404, "no such file: " + name);
    res.set_content(reinterpret_cast<const char *>(file->data), file->size, ContentType(name));
  });

  server.Post(api + "close", [this](const Request &, Response &res) {
    {
      std::lock_guard<std::mutex> lock(session_mutex_);
      if (!closed_) Close();
      SendJson(res, {{"closed", true}, {"report", report_}, {"exit_code", exit_code_}});
    }
    Stop();
  });
}

void Server::Close() {
  std::ostringstream out;
  OnSessionThread([&] { exit_code_ = session_.Finish(out); });
  report_ = out.str();
  closed_ = true;
}

void Server::OnSessionThread(const std::function<void()> &work) {
  std::unique_lock<std::mutex> lock(work_mutex_);
  work_ = work;
  work_done_ = false;
  work_ready_.notify_all();
  work_ready_.wait(lock, [this] { return work_done_; });
  work_ = nullptr;
}

void Server::SessionLoop() {
  std::unique_lock<std::mutex> lock(work_mutex_);
  for (;;) {
    work_ready_.wait(lock, [this] { return session_thread_ends_ || (work_ && !work_done_); });
    if (session_thread_ends_) return;
    work_();
    work_done_ = true;
    work_ready_.notify_all();
  }
}

void Server::Serve() {
  std::vector<std::thread> threads;
  std::vector<std::unique_ptr<std::atomic<bool>>> done;
  for (auto &server : servers_) {
    httplib::Server *s = server.get();
    done.push_back(std::make_unique<std::atomic<bool>>(false));
    std::atomic<bool> *finished = done.back().get();
    threads.emplace_back([s, finished] {
      s->listen_after_bind();
      *finished = true;
    });
  }
  // A server is stopped only once it listens: stopping it before would leave it listening.
  for (std::size_t i = 0; i < servers_.size(); ++i) {
    while (!servers_[i]->is_running() && !*done[i])
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  {
    std::unique_lock<std::mutex> lock(stop_mutex_);
    stop_.wait(lock, [this] { return stopping_; });
  }
  for (auto &server : servers_) server->stop();
  connections_.CloseAll();
  for (std::thread &t : threads) t.join();
  std::lock_guard<std::mutex> lock(session_mutex_);
  if (!closed_) Close();
}

void Server::Stop() {
  std::lock_guard<std::mutex> lock(stop_mutex_);
  stopping_ = true;
  stop_.notify_all();
}

}  // namespace orvane::host::play
