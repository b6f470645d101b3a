#pragma once

#include <curl/curl.h>

namespace reelcatch {

// How a request ended, as the control reports it.
enum class TransferFailure {
  kNone,        // the final answer arrived whole
  kNoAnswer,    // nothing usable came back: no server, refused, bad address, redirect refused
  kReadFailed,  // the final answer began but did not arrive whole
};

// The one place that reads curl's result codes. `answered` tells whether the
// final answer's header block had arrived.
TransferFailure ClassifyTransfer(CURLcode result, bool answered);

// A multi-interface failure, as the result of the request it broke.
CURLcode AsTransferResult(CURLMcode result);

}  // namespace reelcatch
