#pragma once

#include <span>
#include <string>

namespace reelcatch {

// Site numbers as the rest of the program knows them. 7 is never given out.
inline constexpr int kSiteNone = -1;
inline constexpr int kSiteGoogleVideo = 1;
inline constexpr int kSiteYouTube = 2;
inline constexpr int kSiteBolt = 3;
inline constexpr int kSiteMySpace = 4;
inline constexpr int kSiteAngryAlien = 5;
inline constexpr int kSiteThatVideoSite = 6;
inline constexpr int kSiteIFilm = 8;
inline constexpr int kSiteBreak = 9;
inline constexpr int kSiteBlip = 10;
inline constexpr int kSiteDailymotion = 11;
inline constexpr int kSitePutFile = 12;
inline constexpr int kSiteZippyVideos = 13;

// One supported site: its number, its name for people and the domain text
// that recognises its addresses.
struct SiteEntry {
  int id;
  const char* service;
  const char* domain;
};

// The supported sites in the order they are tried.
std::span<const SiteEntry> SiteTable();

// The site whose domain text occurs anywhere in the address (ignoring ASCII
// case); the earlier site in the table wins. kSiteNone when none matches.
int GetSiteId(const std::string& address);

}  // namespace reelcatch
