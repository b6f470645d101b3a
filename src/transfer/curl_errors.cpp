#include "transfer/curl_errors.h"

#include <locale.h>
#include <string.h>

namespace reelcatch {

TransferFailure ClassifyTransfer(CURLcode result, bool answered) {
  if (!answered) return TransferFailure::kNoAnswer;
  return result == CURLE_OK ? TransferFailure::kNone : TransferFailure::kReadFailed;
}

bool TransientResult(CURLcode result) {
  switch (result) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
      return true;
    default:
      return false;
  }
}

bool TransientStatus(long status) {
  switch (status) {
    case 408:
    case 429:
    case 500:
    case 502:
    case 503:
    case 504:
      return true;
    default:
      return false;
  }
}

std::string HttpStatusText(long status, const std::string& reasonPhrase) {
  std::string text = "HTTP " + std::to_string(status);
  if (!reasonPhrase.empty()) text += " " + reasonPhrase;
  return text;
}

CURLcode AsTransferResult(CURLMcode result) {
  switch (result) {
    case CURLM_OK:
      return CURLE_OK;
    case CURLM_OUT_OF_MEMORY:
      return CURLE_OUT_OF_MEMORY;
    default:
      return CURLE_FAILED_INIT;
  }
}

std::string FailureText(CURLcode result, long osError) {
  switch (result) {
    case CURLE_OK:
      return {};
    case CURLE_COULDNT_RESOLVE_HOST:
      return "Could not resolve host";
    case CURLE_COULDNT_CONNECT:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
      // The system says best what went wrong: refused, unreachable, reset.
      if (osError != 0) return SystemErrorText(static_cast<int>(osError));
      if (result == CURLE_RECV_ERROR) return "Server sent a broken answer";
      return result == CURLE_COULDNT_CONNECT ? "Could not connect" : "Connection broken";
    case CURLE_OPERATION_TIMEDOUT:
      return "Connection timed out";
    case CURLE_URL_MALFORMAT:
      return "Not a usable address";
    case CURLE_UNSUPPORTED_PROTOCOL:
      return "Not an http or https address";
    case CURLE_OUT_OF_MEMORY:
      // What curl says, too, of header lines beyond its limit.
      return "Server's headers too large";
    case CURLE_PARTIAL_FILE:
      return "Body ended early";
    case CURLE_GOT_NOTHING:
      return "Server sent no answer";
    case CURLE_WEIRD_SERVER_REPLY:
      return "Server sent no HTTP answer";
    case CURLE_PEER_FAILED_VERIFICATION:
      return "Server's certificate not trusted";
    case CURLE_SSL_CONNECT_ERROR:
      return "Secure connection failed";
    case CURLE_TOO_MANY_REDIRECTS:
      return failure_reasons::kTooManyRedirects;
    default:
      return curl_easy_strerror(result);
  }
}

std::string SystemErrorText(int error) {
  static const locale_t english = newlocale(LC_ALL_MASK, "C", nullptr);
  if (english == nullptr) return "error " + std::to_string(error);
  return strerror_l(error, english);
}

std::string BodyEndedEarly(uint64_t received, uint64_t expected) {
  return "Body ended after " + std::to_string(received) + " of " + std::to_string(expected) +
         " bytes";
}

}  // namespace reelcatch
