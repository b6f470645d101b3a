#pragma once

// An https front for a plain test server: it accepts TLS connections on
// 127.0.0.1 with a certificate made for this front alone, and passes the
// bytes of each connection on to the plain server and back. A client trusts
// it when SSL_CERT_FILE names CertificateFile():
//
//   ScriptedServer server;
//   TlsFront front(server.Port());
//   ScopedEnv trust("SSL_CERT_FILE", front.CertificateFile());
//   control.SetUrl(front.Url("/clip.flv"));   // served by server's "/clip.flv"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace reelcatch::test {

class TlsFront {
 public:
  explicit TlsFront(uint16_t backendPort);
  ~TlsFront();
  TlsFront(const TlsFront&) = delete;
  TlsFront& operator=(const TlsFront&) = delete;

  uint16_t Port() const { return port_; }
  // "https://127.0.0.1:PORT" followed by `path`.
  std::string Url(const std::string& path = "/") const;
  // The front's certificate (PEM), its own root.
  const std::string& CertificateFile() const { return certificateFile_; }

 private:
  struct Tls;
  struct Connection {
    std::thread thread;
    std::atomic<bool> finished{false};
    std::atomic<int> clientFd{-1};
    std::atomic<int> backendFd{-1};
  };

  void AcceptLoop();
  void Relay(Connection& connection, int clientFd);
  void ReapFinished();

  uint16_t backendPort_;
  std::unique_ptr<Tls> tls_;
  std::string certificateFile_;
  int listenFd_ = -1;
  int stopRead_ = -1;
  int stopWrite_ = -1;
  uint16_t port_ = 0;
  std::thread acceptThread_;
  std::mutex mutex_;
  std::vector<std::unique_ptr<Connection>> connections_;
};

}  // namespace reelcatch::test
