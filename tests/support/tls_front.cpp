#include "support/tls_front.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace reelcatch::test {
namespace {

void Check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("TlsFront: ") + what);
}

void AddExtension(X509* certificate, int nid, const char* value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
  Check(extension != nullptr && X509_add_ext(certificate, extension, -1) == 1, "extension");
  X509_EXTENSION_free(extension);
}

// A self-signed certificate for 127.0.0.1, valid for a day.
X509* MakeCertificate(EVP_PKEY* key) {
  X509* certificate = X509_new();
  Check(certificate != nullptr, "X509_new");
  X509_set_version(certificate, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(certificate), 1);
  X509_gmtime_adj(X509_getm_notBefore(certificate), -3600);
  X509_gmtime_adj(X509_getm_notAfter(certificate), 24 * 3600);
  X509_set_pubkey(certificate, key);
  X509_NAME* name = X509_get_subject_name(certificate);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
  X509_set_issuer_name(certificate, name);
  AddExtension(certificate, NID_basic_constraints, "critical,CA:TRUE");
  AddExtension(certificate, NID_subject_key_identifier, "hash");
  AddExtension(certificate, NID_subject_alt_name, "IP:127.0.0.1");
  Check(X509_sign(certificate, key, EVP_sha256()) > 0, "X509_sign");
  return certificate;
}

bool SendAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t sent = send(fd, data, size, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    data += sent;
    size -= static_cast<size_t>(sent);
  }
  return true;
}

int ConnectTo(uint16_t port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

struct TlsFront::Tls {
  EVP_PKEY* key = nullptr;
  X509* certificate = nullptr;
  SSL_CTX* context = nullptr;
  ~Tls() {
    SSL_CTX_free(context);
    X509_free(certificate);
    EVP_PKEY_free(key);
  }
};

TlsFront::TlsFront(uint16_t backendPort)
    : backendPort_(backendPort), tls_(std::make_unique<Tls>()) {
  tls_->key = EVP_EC_gen("P-256");
  Check(tls_->key != nullptr, "key");
  tls_->certificate = MakeCertificate(tls_->key);
  tls_->context = SSL_CTX_new(TLS_server_method());
  Check(tls_->context != nullptr &&
            SSL_CTX_use_certificate(tls_->context, tls_->certificate) == 1 &&
            SSL_CTX_use_PrivateKey(tls_->context, tls_->key) == 1,
        "context");

  std::string pattern =
      (std::filesystem::temp_directory_path() / "reelcatch-cert-XXXXXX.pem").string();
  int fd = mkstemps(pattern.data(), 4);
  Check(fd >= 0, "certificate file");
  FILE* file = fdopen(fd, "w");
  Check(file != nullptr && PEM_write_X509(file, tls_->certificate) == 1, "PEM");
  fclose(file);
  certificateFile_ = pattern;

  int pipeEnds[2];
  Check(pipe2(pipeEnds, O_CLOEXEC) == 0, "pipe2");
  stopRead_ = pipeEnds[0];
  stopWrite_ = pipeEnds[1];
  listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  Check(listenFd_ >= 0 && bind(listenFd_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
            listen(listenFd_, 64) == 0 &&
            getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) == 0,
        "listen");
  port_ = ntohs(address.sin_port);
  acceptThread_ = std::thread([this] { AcceptLoop(); });
}

TlsFront::~TlsFront() {
  // The pipe stays readable from now on: every wait ends; a thread inside a
  // blocking TLS read or write is freed by shutting its sockets down.
  (void)!write(stopWrite_, "x", 1);
  acceptThread_.join();
  {
    std::lock_guard lock(mutex_);
    for (auto& connection : connections_) {
      for (int fd : {connection->clientFd.load(), connection->backendFd.load()}) {
        if (fd >= 0) shutdown(fd, SHUT_RDWR);
      }
    }
  }
  for (auto& connection : connections_) connection->thread.join();
  close(listenFd_);
  close(stopRead_);
  close(stopWrite_);
  std::remove(certificateFile_.c_str());
}

std::string TlsFront::Url(const std::string& path) const {
  return "https://127.0.0.1:" + std::to_string(port_) + path;
}

void TlsFront::AcceptLoop() {
  while (true) {
    pollfd waits[2] = {{listenFd_, POLLIN, 0}, {stopRead_, POLLIN, 0}};
    if (poll(waits, 2, -1) < 0 && errno != EINTR) return;
    if (waits[1].revents != 0) return;
    if (waits[0].revents == 0) continue;
    int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    std::lock_guard lock(mutex_);
    ReapFinished();
    auto connection = std::make_unique<Connection>();
    Connection* raw = connection.get();
    raw->clientFd = fd;
    connection->thread = std::thread([this, raw, fd] {
      Relay(*raw, fd);
      raw->finished = true;
    });
    connections_.push_back(std::move(connection));
  }
}

void TlsFront::ReapFinished() {
  for (auto it = connections_.begin(); it != connections_.end();) {
    if ((*it)->finished) {
      (*it)->thread.join();
      it = connections_.erase(it);
    } else {
      ++it;
    }
  }
}

// Passes bytes both ways until either side closes or the front stops.
void TlsFront::Relay(Connection& connection, int clientFd) {
  SSL* ssl = SSL_new(tls_->context);
  int backend = -1;
  if (ssl != nullptr && SSL_set_fd(ssl, clientFd) == 1 && SSL_accept(ssl) == 1) {
    backend = ConnectTo(backendPort_);
    connection.backendFd = backend;
  }
  char buffer[16384];
  bool open = backend >= 0;
  while (open) {
    pollfd waits[3] = {{clientFd, POLLIN, 0}, {backend, POLLIN, 0}, {stopRead_, POLLIN, 0}};
    if (SSL_pending(ssl) == 0) {
      if (poll(waits, 3, -1) < 0 && errno != EINTR) break;
      if (waits[2].revents != 0) break;
    } else {
      waits[0].revents = POLLIN;
    }
    if (waits[0].revents != 0) {
      int got = SSL_read(ssl, buffer, sizeof buffer);
      open = got > 0 && SendAll(backend, buffer, static_cast<size_t>(got));
    }
    if (open && waits[1].revents != 0) {
      ssize_t got = recv(backend, buffer, sizeof buffer, 0);
      open = got > 0 && SSL_write(ssl, buffer, static_cast<int>(got)) == got;
      // The server's close ends the answer: the client is told so.
      if (got == 0) SSL_shutdown(ssl);
    }
  }
  SSL_free(ssl);
  // Under the lock, so the destructor never shuts down a number reused since.
  std::lock_guard lock(mutex_);
  connection.backendFd = -1;
  connection.clientFd = -1;
  if (backend >= 0) close(backend);
  close(clientFd);
}

}  // namespace reelcatch::test
