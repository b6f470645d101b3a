#include "transfer/response_headers.h"

#include <curl/curl.h>

#include <cctype>

#include "platform/ascii.h"

namespace reelcatch {
namespace {

std::string_view WithoutLineEnd(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

std::string Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return std::string(text);
}

// "HTTP/1.1 404 Not Found" -> 404; 0 when there is no three-digit code.
long StatusCodeOf(std::string_view statusLine) {
  std::size_t space = statusLine.find(' ');
  if (space == std::string_view::npos || statusLine.size() < space + 4) return 0;
  long code = 0;
  for (std::size_t i = space + 1; i < space + 4; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(statusLine[i]))) return 0;
    code = code * 10 + (statusLine[i] - '0');
  }
  return code;
}

}  // namespace

void ResponseHeaders::AddLine(std::string_view line) {
  line = WithoutLineEnd(line);
  if (!inBlock_) {
    // Anything outside an answer's block (trailers after a body) is not ours.
    if (StartsWithNoCase(line, "http/")) StartAnswer(line);
    return;
  }
  if (line.empty()) {
    EndAnswer();
    return;
  }
  block_.append(line).append("\r\n");
  if (StartsWithNoCase(line, "location:") && location_.empty()) location_ = Trimmed(line.substr(9));
  if (StartsWithNoCase(line, "connection:")) {
    std::string value = Trimmed(line.substr(11));
    keepAlive_ = value.size() == 10 && StartsWithNoCase(value, "keep-alive");
  }
}

size_t ResponseHeaders::Collect(char* data, size_t size, size_t count, void* headers) {
  auto* self = static_cast<ResponseHeaders*>(headers);
  bool wasInBlock = self->inBlock_;
  self->AddLine({data, size * count});
  if (wasInBlock && !self->inBlock_ && self->easy_ != nullptr) {
    // A server that keeps a connection open without saying so may never
    // answer on it again.
    curl_easy_setopt(static_cast<CURL*>(self->easy_), CURLOPT_FORBID_REUSE,
                     self->keepAlive_ ? 0L : 1L);
  }
  return size * count;
}

std::string ResponseHeaders::ReasonPhrase() const {
  std::string_view line = std::string_view(block_).substr(0, block_.find("\r\n"));
  std::size_t code = line.find(' ');
  if (code == std::string_view::npos) return {};
  std::size_t phrase = line.find(' ', code + 1);
  if (phrase == std::string_view::npos) return {};
  return Trimmed(line.substr(phrase + 1, kMaxReasonPhrase));
}

void ResponseHeaders::StartAnswer(std::string_view statusLine) {
  block_.assign(statusLine).append("\r\n");
  status_ = StatusCodeOf(statusLine);
  inBlock_ = true;
  location_.clear();
  redirectTo_.clear();
  final_ = false;
  keepAlive_ = false;
}

void ResponseHeaders::EndAnswer() {
  inBlock_ = false;
  bool interim = status_ < 200;
  // An empty Location leads nowhere: such an answer is the final one.
  bool followed = status_ >= 300 && status_ < 400 && !location_.empty();
  if (followed) redirectTo_ = location_;
  final_ = !interim && !followed;
}

}  // namespace reelcatch
