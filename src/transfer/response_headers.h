#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace reelcatch {

// Gathers the header lines of one request as they arrive, answer after
// answer (interim 1xx answers and followed redirects come first), and keeps
// the latest answer's status line and header lines joined with CR LF.
class ResponseHeaders {
 public:
  // One line as received, with whatever line end it came with.
  void AddLine(std::string_view line);
  // The same, shaped as curl's header callback (`headers` is the object).
  static size_t Collect(char* data, size_t size, size_t count, void* headers);

  const std::string& Block() const { return block_; }
  long Status() const { return status_; }
  // The reason phrase of the latest status line ("Not Found"), at most
  // kMaxReasonPhrase bytes of it.
  std::string ReasonPhrase() const;
  static constexpr std::size_t kMaxReasonPhrase = 100;
  // Whether the header block of the answer that will be kept has arrived
  // whole: not an interim answer, not a redirect that is being followed.
  bool FinalAnswerBegan() const { return final_; }
  // Where the latest answer redirects to, once its block has arrived whole
  // (empty when it is no redirect).
  const std::string& RedirectTo() const { return redirectTo_; }
  // Whether the latest answer said its connection may carry the next
  // request ("Connection: keep-alive").
  bool PromisesKeepAlive() const { return keepAlive_; }
  // Collect tells this handle, at the end of each answer's block, whether
  // its connection may be kept: only one the server promised to keep is.
  void SetHandle(void* easy) { easy_ = easy; }

 private:
  void StartAnswer(std::string_view statusLine);
  void EndAnswer();

  std::string block_;
  long status_ = 0;
  bool inBlock_ = false;
  std::string location_;
  std::string redirectTo_;
  bool final_ = false;
  bool keepAlive_ = false;
  void* easy_ = nullptr;
};

}  // namespace reelcatch
