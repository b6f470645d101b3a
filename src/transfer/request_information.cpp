#include <string>

#include "transfer/curl_handles.h"
#include "transfer/download_state.h"
#include "transfer/response_headers.h"

namespace reelcatch {
namespace {

size_t DiscardBody(char*, size_t size, size_t count, void*) { return size * count; }

}  // namespace

void DownloadState::RequestInformation() {
  informationRequested = true;
  loop.DoEvents();
  OpenSessionIfNeeded();
  loop.DoEvents();

  ResponseHeaders headers;
  statusCode = 0;
  if (session) {
    CURL* easy = session->Fresh();
    ApplyCommonOptions(easy, url, limits);
    // HEAD over HTTP/1.0, always from the server itself.
    curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    // The length is read from the block by our own rule: one curl refuses
    // must not make the whole answer count as none.
    curl_easy_setopt(easy, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    CurlHeaderList noCache;
    noCache.Append("Pragma: no-cache");
    noCache.Append("Cache-Control: no-cache");
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, noCache.Get());
    // A password without a user name is never sent.
    if (!siteUser.empty()) {
      curl_easy_setopt(easy, CURLOPT_USERNAME, siteUser.c_str());
      curl_easy_setopt(easy, CURLOPT_PASSWORD, sitePassword.c_str());
    }
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, ResponseHeaders::Collect);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &headers);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, DiscardBody);
    session->Perform(limits.Stall(), [this] {
      loop.DoEvents();
      return !(transferRunning && cancelRequested);
    });
  }
  // Without a whole block there is only the status line, if one came, and
  // no earlier address's values may remain.
  if (headers.FinalAnswerBegan()) {
    statusCode = headers.Status();
    facts = FactsFromAnswer(headers.Block(), statusCode);
  } else {
    facts = FactsWithoutBlock(headers.Status());
  }
  loop.DoEvents();
  if (closeSession) CloseSession();
}

}  // namespace reelcatch
