#include "support/scripted_server.h"

#include <arpa/inet.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <sstream>
#include <stdexcept>

namespace reelcatch::test {
namespace {

void Check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("ScriptedServer: ") + what);
}

int Listen(uint16_t& port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  auto* raw = reinterpret_cast<sockaddr*>(&address);
  Check(bind(fd, raw, length) == 0 && listen(fd, 64) == 0 && getsockname(fd, raw, &length) == 0,
        "listen");
  port = ntohs(address.sin_port);
  return fd;
}

RecordedRequest Parse(const std::string& head) {
  RecordedRequest request;
  std::istringstream(request.head = head) >> request.method >> request.target;
  return request;
}

}  // namespace

// A self-signed certificate for 127.0.0.1, its own root.
struct ScriptedServer::Tls {
  Tls() {
    X509_set_version(certificate, 2);
    X509_gmtime_adj(X509_getm_notBefore(certificate), -3600);
    X509_gmtime_adj(X509_getm_notAfter(certificate), 24 * 3600);
    X509_set_pubkey(certificate, key);
    X509_NAME* name = X509_get_subject_name(certificate);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
    X509_set_issuer_name(certificate, name);
    for (auto [nid, value] : {std::pair{NID_basic_constraints, "critical,CA:TRUE"},
                              std::pair{NID_subject_alt_name, "IP:127.0.0.1"}}) {
      X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, nullptr, nid, value);
      Check(extension != nullptr && X509_add_ext(certificate, extension, -1) == 1, "extension");
      X509_EXTENSION_free(extension);
    }
    Check(X509_sign(certificate, key, EVP_sha256()) > 0 &&
              SSL_CTX_use_certificate(context, certificate) == 1 &&
              SSL_CTX_use_PrivateKey(context, key) == 1,
          "certificate");
  }
  ~Tls() {
    SSL_CTX_free(context);
    X509_free(certificate);
    EVP_PKEY_free(key);
  }
  EVP_PKEY* key = EVP_EC_gen("P-256");
  X509* certificate = X509_new();
  SSL_CTX* context = SSL_CTX_new(TLS_server_method());
};

struct ScriptedServer::Connection {
  Connection(int socket, SSL* tls) : fd(socket), ssl(tls) {}
  long Receive(char* into, size_t size) {
    return ssl ? SSL_read(ssl, into, static_cast<int>(size)) : recv(fd, into, size, 0);
  }
  bool SendAll(std::string_view bytes) {
    while (!bytes.empty()) {
      long sent = ssl ? SSL_write(ssl, bytes.data(), static_cast<int>(bytes.size()))
                      : send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (sent <= 0) return false;
      bytes.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
  }
  int fd;
  int number = 0;
  SSL* ssl;
  std::thread thread;
};

// The body's length is added when it is sent, once its placeholders are filled in.
Response Response::WithStatus(std::string statusLine, std::string body, Headers headers) {
  for (const auto& [name, value] : headers) statusLine += "\r\n" + name + ": " + value;
  return Raw(statusLine + "\r\n").Add(kBody, std::move(body));
}

Response Response::Head(std::string statusLine, Headers headers) {
  for (const auto& [name, value] : headers) statusLine += "\r\n" + name + ": " + value;
  return Raw(statusLine + "\r\n\r\n");
}

ScriptedServer::ScriptedServer(bool tls) {
  listeners_.push_back(Listen(ports_[0]));
  if (tls) {
    // A client that goes away mid-write must not end the test program.
    std::signal(SIGPIPE, SIG_IGN);
    tls_ = std::make_unique<Tls>();
    listeners_.push_back(Listen(ports_[1]));
    // Named after the port, which no other server holds while this one lives.
    certificateFile_ = std::filesystem::temp_directory_path() /
                       ("reelcatch-cert-" + std::to_string(ports_[1]) + ".pem");
    FILE* file = fopen(certificateFile_.c_str(), "w");
    Check(file && PEM_write_X509(file, tls_->certificate) == 1 && fclose(file) == 0, "PEM");
  }
  for (size_t i = 0; i < listeners_.size(); ++i) {
    acceptThreads_.emplace_back([this, i] { Accept(listeners_[i], i == 1); });
  }
}

ScriptedServer::~ScriptedServer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    // Frees every thread inside a blocking read or write.
    for (auto& connection : connections_) shutdown(connection->fd, SHUT_RDWR);
  }
  changed_.notify_all();
  for (int fd : listeners_) shutdown(fd, SHUT_RDWR);
  for (std::thread& thread : acceptThreads_) thread.join();
  for (auto& connection : connections_) {
    connection->thread.join();
    SSL_free(connection->ssl);
    close(connection->fd);
  }
  for (int fd : listeners_) close(fd);
  if (!certificateFile_.empty()) std::remove(certificateFile_.c_str());
}

// Serves each connection in a thread of its own, kept until the server stops.
void ScriptedServer::Accept(int listener, bool secure) {
  while (true) {
    int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    std::lock_guard lock(mutex_);
    if (stopping_ && fd >= 0) close(fd);
    if (stopping_) return;
    if (fd < 0) continue;
    SSL* ssl = secure ? SSL_new(tls_->context) : nullptr;
    if (ssl) SSL_set_fd(ssl, fd);
    auto connection = std::make_unique<Connection>(fd, ssl);
    connection->number = static_cast<int>(connections_.size()) + 1;
    connection->thread = std::thread([this, raw = connection.get()] { Serve(*raw); });
    connections_.push_back(std::move(connection));
  }
}

void ScriptedServer::Serve(Connection& connection) {
  std::string head;
  char buffer[4096];
  bool open = !connection.ssl || SSL_accept(connection.ssl) == 1;
  for (bool again = open; again;) {
    for (long got = 1; got > 0 && head.find("\r\n\r\n") == std::string::npos;) {
      got = connection.Receive(buffer, sizeof buffer);
      head.append(buffer, static_cast<size_t>(std::max(got, 0L)));
    }
    size_t end = head.find("\r\n\r\n");
    if (end == std::string::npos) break;
    RecordedRequest request = Parse(head.substr(0, end));
    head.erase(0, end + 4);
    request.connection = connection.number;
    bool isHead = request.method == "HEAD";
    std::unique_lock lock(mutex_);
    auto route = routes_.find(isHead ? "HEAD " + request.target : request.target);
    if (route == routes_.end()) route = routes_.find(request.target);
    if (route == routes_.end()) route = routes_.find("");
    Response response = Response::WithStatus("HTTP/1.1 404 Not Found", "");
    if (route != routes_.end()) {
      auto& [answers, served] = route->second;
      response = answers[std::min(served, answers.size() - 1)];
      if (!isHead) ++served;
    }
    requests_.push_back(std::move(request));
    lock.unlock();
    changed_.notify_all();
    again = Play(connection, response, isHead) && keepAlive_;
  }
  if (connection.ssl && open) SSL_shutdown(connection.ssl);
  // Reads until the client closes, so closing never resets what it has not read yet.
  shutdown(connection.fd, SHUT_WR);
  timeval linger{2, 0};
  setsockopt(connection.fd, SOL_SOCKET, SO_RCVTIMEO, &linger, sizeof linger);
  while (recv(connection.fd, buffer, sizeof buffer, 0) > 0) {
  }
}

// True when the whole answer was sent.
bool ScriptedServer::Play(Connection& connection, const Response& response, bool isHead) {
  std::string sent;
  // False once nothing more is to be sent: for a HEAD, after its blank line.
  auto expand = [this](std::string text) {
    for (auto [from, to] : {std::pair{"{base}", Url("")}, std::pair{"{secure}", SecureUrl("")}}) {
      for (size_t at; (at = text.find(from)) != std::string::npos;)
        text.replace(at, std::string(from).size(), to);
    }
    return text;
  };
  auto send = [&](std::string bytes) {
    bytes = expand(bytes);
    size_t end = isHead ? (sent + bytes).find("\r\n\r\n") : std::string::npos;
    if (end != std::string::npos) bytes.resize(end + 4 - sent.size());
    sent += bytes;
    return connection.SendAll(bytes) && end == std::string::npos;
  };
  static const std::string block = GeneratedBody(251 * 256);
  for (const Response::Step& step : response.steps_) {
    bool more = true;
    if (step.kind == Response::kSend) more = send(step.text);
    if (step.kind == Response::kBody) {
      std::string body = expand(step.text);
      more = send("Content-Length: " + std::to_string(body.size()) +
                  "\r\nConnection: " + (keepAlive_ ? "keep-alive" : "close") + "\r\n\r\n" + body);
    }
    for (uint64_t left = isHead || step.kind != Response::kGenerate ? 0 : step.count;
         more && left;) {
      size_t piece = static_cast<size_t>(std::min<uint64_t>(left, block.size()));
      more = connection.SendAll(std::string_view(block).substr(0, piece));
      left -= piece;
    }
    if (step.kind == Response::kPause) more = Wait(step.count);
    if (step.kind == Response::kHold) more = Wait(kForever);
    if (step.kind == Response::kAwait && !isHead) {
      more = Wait(kForever, [&] { return openGates_.contains(step.text); });
    }
    while (step.kind == Response::kDrip && more) more = send(step.text) && Wait(step.count);
    if (!more) return isHead;
  }
  return true;
}

bool ScriptedServer::Wait(uint64_t milliseconds, const std::function<bool()>& done) const {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                    [&] { return stopping_ || (done && done()); });
  return !stopping_;
}

void ScriptedServer::Set(const std::string& key, std::vector<Response> answers) {
  std::lock_guard lock(mutex_);
  routes_.insert_or_assign(key, std::make_pair(std::move(answers), size_t{0}));
}

void ScriptedServer::Open(const std::string& gate) {
  {
    std::lock_guard lock(mutex_);
    openGates_.insert(gate);
  }
  changed_.notify_all();
}

std::string ScriptedServer::Base(int secure) const {
  return (secure ? "https" : "http") + std::string("://127.0.0.1:") +
         std::to_string(ports_[secure]);
}

std::vector<RecordedRequest> ScriptedServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::string ScriptedServer::GeneratedBody(uint64_t size) {
  std::string body(size, '\0');
  for (uint64_t i = 0; i < size; ++i) body[i] = static_cast<char>(i % 251);
  return body;
}

}  // namespace reelcatch::test
