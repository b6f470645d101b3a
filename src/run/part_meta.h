#pragma once

#include <optional>
#include <string>

#include "transfer/resume.h"

namespace reelcatch {

// What a partial file keeps beside its bytes so that a later transfer (of
// this run, a later one, or another program's) can ask for the rest: the
// validator and the whole file's size. They are extended attributes of the
// file; where the file system has none, a small file beside it, NAME.meta.
// `folder` is the folder's descriptor, `fd` the partial file's.
namespace part_meta {

// Keeps what `keep` says (its offset aside); a keep that ties the file to
// nothing forgets what was kept. False when nothing could be kept.
bool Write(int folder, const std::string& partName, int fd, const ResumePoint& keep);
// What was kept, the offset left 0; none when nothing was, or it cannot be read.
std::optional<ResumePoint> Read(int folder, const std::string& partName, int fd);
// Forgets what was kept, in both places.
void Forget(int folder, const std::string& partName, int fd);

}  // namespace part_meta
}  // namespace reelcatch
