#pragma once

// A real HTTP server on 127.0.0.1 for tests and demos, playing scripted raw
// answers; made with `tls` it answers https on a second port too, under a
// certificate of its own that a client trusts through SSL_CERT_FILE.
//
//   server.Route("/clip.flv", Response::Ok("body", {{"Content-Type", "video/x-flv"}}));
//   server.Route("/held", Response::Head("HTTP/1.1 200 OK").Send("half").Await("go").Send("rest"));
//   ...  server.Open("go");   // every answer waiting at "go" goes on
//
// Each connection carries one request; its answer is played step by step,
// then the connection is closed (a script that ends early is a close
// mid-body). A HEAD gets the answer up to its blank line and passes every
// gate. In sent text "{base}" and "{secure}" stand for Url("") and
// SecureUrl(""). Paths without a route get the default answer, else a 404.
// The destructor ends every wait at once.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace reelcatch::test {

using Headers = std::vector<std::pair<std::string, std::string>>;

class Response {
 public:
  // The status line, the headers, Content-Length and "Connection: close", the body.
  static Response WithStatus(std::string statusLine, std::string body, Headers headers = {});
  static Response Ok(std::string body, Headers headers = {}) {
    return WithStatus("HTTP/1.1 200 OK", std::move(body), std::move(headers));
  }
  // Only the status line, the headers and the blank line; the steps bring the body.
  static Response Head(std::string statusLine, Headers headers = {});
  static Response Raw(std::string bytes) { return Response().Send(std::move(bytes)); }
  static Response Redirect(std::string location, int code = 302) {
    return WithStatus("HTTP/1.1 " + std::to_string(code) + " Found", "", {{"Location", location}});
  }
  // Reads the request and never answers.
  static Response Silent() { return Response().Hold(); }

  Response& Send(std::string bytes) { return Add(kSend, std::move(bytes)); }
  // ScriptedServer::GeneratedBody(count), made on the fly: any size is cheap.
  Response& Generate(uint64_t count) { return Add(kGenerate, "", count); }
  Response& Pause(std::chrono::milliseconds delay) { return Add(kPause, "", delay.count()); }
  // Sends nothing more until the server stops.
  Response& Hold() { return Add(kHold); }
  // Sends nothing more until the test opens the gate.
  Response& Await(std::string gate) { return Add(kAwait, std::move(gate)); }
  // Sends bytes again and again, gap apart: a server that never finishes nor goes quiet.
  Response& Drip(std::string bytes, std::chrono::milliseconds gap) {
    return Add(kDrip, std::move(bytes), gap.count());
  }

 private:
  friend class ScriptedServer;
  enum Kind { kSend, kBody, kGenerate, kPause, kHold, kAwait, kDrip };
  struct Step {
    Kind kind;
    std::string text;
    uint64_t count;
  };
  Response& Add(Kind kind, std::string text = "", uint64_t count = 0) {
    steps_.push_back({kind, std::move(text), count});
    return *this;
  }
  std::vector<Step> steps_;
};

struct RecordedRequest {
  std::string method;
  std::string target;  // path and query, as sent
  std::string head;    // the request line and the header lines, as sent
  int connection = 0;  // which connection brought it, counted from 1
};

class ScriptedServer {
 public:
  explicit ScriptedServer(bool tls = false);
  ~ScriptedServer();

  // Answers requests for target (path and query, exactly).
  void Route(const std::string& target, Response response) { Set(target, {std::move(response)}); }
  // Answers the n-th GET of target with the n-th answer, every later one with the last.
  void Route(const std::string& target, std::vector<Response> answers) {
    Set(target, std::move(answers));
  }
  // Answers HEAD requests for target instead.
  void RouteHead(const std::string& target, Response r) { Set("HEAD " + target, {std::move(r)}); }
  void SetDefault(Response response) { Set("", {std::move(response)}); }
  // Lets every answer waiting at gate go on, and every later one pass it.
  void Open(const std::string& gate);
  // Answers made with a body say "Connection: keep-alive" and the connection
  // then waits for the next request (RecordedRequest::connection tells them apart).
  void KeepAlive() { keepAlive_ = true; }

  std::string Url(const std::string& path = "/") const { return Base(0) + path; }
  std::string SecureUrl(const std::string& path = "/") const { return Base(1) + path; }
  const std::string& CertificateFile() const { return certificateFile_; }
  std::vector<RecordedRequest> Requests() const;

  static std::string GeneratedBody(uint64_t size);

 private:
  struct Connection;
  struct Tls;

  void Set(const std::string& key, std::vector<Response> answers);
  std::string Base(int secure) const;
  void Accept(int listener, bool secure);
  void Serve(Connection& connection);
  bool Play(Connection& connection, const Response& response, bool isHead);
  // Waits until done() holds or the time is up; false when the server stops first.
  bool Wait(uint64_t milliseconds, const std::function<bool()>& done = nullptr) const;
  static constexpr uint64_t kForever = uint64_t{1} << 30;  // twelve days

  std::unique_ptr<Tls> tls_;
  std::string certificateFile_;
  std::vector<int> listeners_;
  uint16_t ports_[2] = {0, 0};
  std::vector<std::thread> acceptThreads_;
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  bool stopping_ = false;
  bool keepAlive_ = false;
  std::set<std::string> openGates_;
  // "HEAD /x" for HEAD only, "" the default; with how many GETs each served.
  std::map<std::string, std::pair<std::vector<Response>, size_t>> routes_;
  std::vector<RecordedRequest> requests_;
  std::vector<std::unique_ptr<Connection>> connections_;
};

}  // namespace reelcatch::test
