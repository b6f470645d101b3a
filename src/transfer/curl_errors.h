#pragma once

#include <curl/curl.h>

#include <cstdint>
#include <string>

#include "transfer/download.h"

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

// Whether a request that ended so may succeed when it is made again: the
// connection was refused, broken or timed out, the answer cut short.
bool TransientResult(CURLcode result);
// Whether a server that answered with this status may answer otherwise soon.
bool TransientStatus(long status);
// "HTTP 404 Not Found".
std::string HttpStatusText(long status, const std::string& reasonPhrase);

// A multi-interface failure, as the result of the request it broke.
CURLcode AsTransferResult(CURLMcode result);

// Why a request failed, in words for the user. `osError` is the system's
// error number curl saw, 0 when none.
std::string FailureText(CURLcode result, long osError);

// The system's words for an error number, in English like every other text
// of the program, whatever the user's locale.
std::string SystemErrorText(int error);

// "Body ended after 5000 of 100000 bytes".
std::string BodyEndedEarly(uint64_t received, uint64_t expected);

}  // namespace reelcatch
