#pragma once

#include <string>

namespace reelcatch {

// What the general rule reads from a page of a site it has no rule for.
struct PageVideo {
  // The video's address, absolute, http or https; empty when the page
  // names none.
  std::string link;
  // The page's <title> text, blanks folded.
  std::string title;
};

// Parses the page as a browser does and takes the first usable video
// address among, in this order: the src of a <video>, then its <source>
// children (one of type video/mp4 first); the og:video:secure_url,
// og:video:url and og:video metas; twitter:player:stream; the contentUrl of
// a JSON-LD VideoObject; the first <a href> to a media file. Addresses are
// made absolute against pageAddress and the page's <base href>; blob:,
// data: and every other scheme but http and https are passed over.
PageVideo FindPageVideo(const std::string& page, const std::string& pageAddress);

}  // namespace reelcatch
