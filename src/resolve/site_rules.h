#pragma once

#include <string>

namespace reelcatch {

// The site rules: each reads the page fetched for the page address sLink from
// pageFile and works out the address of the video file, or gives empty text
// when the page cannot be read or holds no usable address.
std::string GetGoogleVideoLink(const std::string& sLink, const std::string& pageFile);
std::string GetYouTubeLink(const std::string& sLink, const std::string& pageFile);
std::string GetBoltLink(const std::string& sLink, const std::string& pageFile);
std::string GetMySpaceLink(const std::string& sLink, const std::string& pageFile);
std::string GetAngryAlienLink(const std::string& sLink, const std::string& pageFile);
std::string GetThatVideoSiteLink(const std::string& sLink, const std::string& pageFile);
std::string GetIFilmLink(const std::string& sLink, const std::string& pageFile);
std::string GetBreakLink(const std::string& sLink, const std::string& pageFile);
std::string GetBlipLink(const std::string& sLink, const std::string& pageFile);
std::string GetDailymotionLink(const std::string& sLink, const std::string& pageFile);
std::string GetPutFileLink(const std::string& sLink, const std::string& pageFile);
std::string GetZippyVideosLink(const std::string& sLink, const std::string& pageFile);

// The rule of siteId run over pageFile; empty text when no rule belongs to it.
std::string RunSiteRule(int siteId, const std::string& sLink, const std::string& pageFile);

// The server that MySpace, iFilm and Break keep their video files on, without
// a trailing "/"; empty for every other site. A non-empty REELCATCH_MEDIA_HOST
// in the environment stands in for all three (local test servers).
std::string MediaHost(int siteId);

// The fixed "s" value YouTube's file address ends with.
inline constexpr const char* kYouTubeSignature = "4F3A9C21B7E05D68:92C4E17A3B6F0D85";

}  // namespace reelcatch
