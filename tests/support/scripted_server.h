#pragma once

// A real HTTP server on 127.0.0.1 for tests and demos, playing scripted raw
// answers. Start one in a test, point the code at server.Url("/path"), and
// look at server.Requests() afterwards:
//
//   ScriptedServer server;
//   server.Route("/clip.flv", Response::Ok("body", {{"Content-Type", "video/x-flv"}}));
//   server.Route("/slow", Response::Head("HTTP/1.1 200 OK", {{"Content-Length", "10"}})
//                             .Send("12345").Pause(50ms).Send("67890"));
//   server.Route("/big", Response::Head("HTTP/1.1 200 OK", {{"Content-Length", "3000000000"}})
//                            .Generate(3000000000));
//   server.SetDefault(Response::Raw("HTTP/1.0 404 Not Found\r\n\r\n"));
//   server.Route("/held", Response::Head("HTTP/1.1 200 OK").Send("half").Await("go").Send("rest"));
//   ...  server.Open("go");   // every answer waiting at "go" goes on
//
// Every connection gets its own thread and carries one request: the answer
// is played step by step, then the connection is closed (a script that ends
// early is a close mid-body). A HEAD request gets the answer up to the end
// of its header block (the blank line) and no further. Paths without a route get the default
// answer, or "HTTP/1.1 404 Not Found" when none was set. The destructor stops everything at once,
// held connections and running sends included.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace reelcatch::test {

using Headers = std::vector<std::pair<std::string, std::string>>;

// One scripted answer: the bytes that start it, then steps.
class Response {
 public:
  // "HTTP/1.1 200 OK", the headers given, Content-Length and
  // "Connection: close", then the body.
  static Response Ok(std::string body, Headers headers = {});
  // The same with any status line, e.g. "HTTP/1.1 404 File Not Found".
  static Response WithStatus(std::string statusLine, std::string body, Headers headers = {});
  // Only the status line, the headers given and the blank line (nothing
  // added); the body follows from the steps.
  static Response Head(std::string statusLine, Headers headers = {});
  // Exactly these bytes, for every method.
  static Response Raw(std::string bytes);
  // A redirect to `location` with an empty body.
  static Response Redirect(std::string location, int code = 302);
  // Reads the request and never answers.
  static Response Silent();

  // Steps, played in order after the start.
  Response& Send(std::string bytes);
  // Generated body bytes: ScriptedServer::GeneratedByte(0 .. count-1),
  // made on the fly, so any size is cheap.
  Response& Generate(uint64_t count);
  Response& Pause(std::chrono::milliseconds delay);
  // Sends nothing more and keeps the connection open until the client
  // closes it or the server stops.
  Response& Hold();
  // Sends nothing more until the test opens the gate (ScriptedServer::Open).
  // A HEAD request never waits at a gate.
  Response& Await(std::string gate);
  // Sends nothing more until a request for `target` has come in (any
  // method), then goes on: an order between two clients, without timing.
  Response& AwaitRequest(std::string target);

  // Sends `bytes` again and again, `gap` apart, until the client goes away
  // or the server stops: a server that never finishes but never goes quiet.
  Response& Drip(std::string bytes, std::chrono::milliseconds gap);

 private:
  friend class ScriptedServer;
  enum class Kind { kSend, kGenerate, kPause, kHold, kAwait, kAwaitRequest, kDrip };
  struct Step {
    Kind kind;
    std::string bytes;
    uint64_t count = 0;
  };

  std::string start_;
  std::vector<Step> steps_;
};

// What the server saw of one request.
struct RecordedRequest {
  std::string method;
  std::string target;   // as sent: path and query
  std::string version;  // "HTTP/1.0", "HTTP/1.1"
  Headers headers;
  int connection = 0;  // numbers the connections in the order accepted

  // The first value of a header, case-insensitive name; empty when absent.
  std::string Header(std::string_view name) const;
  bool HasHeader(std::string_view name) const;
};

class ScriptedServer {
 public:
  ScriptedServer();
  ~ScriptedServer();
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;

  // Answers requests for `target` (path and query, exactly) with `response`.
  void Route(const std::string& target, Response response);
  // Answers HEAD requests for `target` with `response` instead.
  void RouteHead(const std::string& target, Response response);
  void SetDefault(Response response);

  uint16_t Port() const { return port_; }
  // "http://127.0.0.1:PORT" followed by `path`.
  std::string Url(const std::string& path = "/") const;

  // Lets every answer waiting at gate go on, and every later one pass it.
  void Open(const std::string& gate);

  std::vector<RecordedRequest> Requests() const;
  // Waits until at least `count` requests arrived; false after `limit`.
  bool WaitForRequests(std::size_t count, std::chrono::milliseconds limit) const;

  static char GeneratedByte(uint64_t offset) { return static_cast<char>(offset % 251); }
  static std::string GeneratedBody(uint64_t size);

 private:
  struct Connection;

  void AcceptLoop();
  void Serve(int fd, int number);
  Response AnswerFor(const std::string& target, bool isHead) const;
  class Player;
  void Play(int fd, const Response& response, bool isHead) const;
  bool SendAll(int fd, const char* data, std::size_t size) const;
  bool SendGenerated(int fd, uint64_t count) const;
  bool Wait(std::chrono::milliseconds delay) const;
  bool AwaitGate(const std::string& gate) const;
  bool AwaitRequest(const std::string& target) const;
  void HoldOpen(int fd) const;
  void Record(RecordedRequest request);
  void ReapFinished();

  int listenFd_ = -1;
  int stopRead_ = -1;
  int stopWrite_ = -1;
  uint16_t port_ = 0;
  std::thread acceptThread_;

  mutable std::mutex mutex_;
  mutable std::condition_variable requestArrived_;
  mutable std::condition_variable gateOpened_;
  std::set<std::string> openGates_;
  bool stopping_ = false;
  std::map<std::string, Response> routes_;
  std::map<std::string, Response> headRoutes_;
  std::unique_ptr<Response> default_;
  std::vector<RecordedRequest> requests_;
  std::vector<std::unique_ptr<Connection>> connections_;
};

}  // namespace reelcatch::test
