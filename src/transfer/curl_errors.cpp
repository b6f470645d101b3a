#include "transfer/curl_errors.h"

namespace reelcatch {

TransferFailure ClassifyTransfer(CURLcode result, bool answered) {
  if (!answered) return TransferFailure::kNoAnswer;
  return result == CURLE_OK ? TransferFailure::kNone : TransferFailure::kReadFailed;
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

}  // namespace reelcatch
