#include "resolve/site_table.h"

#include <array>

#include "resolve/text_ops.h"

namespace reelcatch {

namespace {

constexpr std::array<SiteEntry, 12> kSites{{
    {kSiteGoogleVideo, "Google Video", "video.google.com"},
    {kSiteYouTube, "YouTube", "youtube.com"},
    {kSiteBolt, "Bolt", "bolt.com"},
    {kSiteMySpace, "MySpace", "myspace.com"},
    {kSiteAngryAlien, "AngryAlien", "angryalien.com"},
    {kSiteThatVideoSite, "ThatVideoSite", "thatvideosite.com"},
    {kSiteIFilm, "iFilm", "ifilm.com"},
    {kSiteBreak, "Break", "break.com"},
    {kSiteBlip, "Blip", "blip.tv"},
    {kSiteDailymotion, "Dailymotion", "dailymotion.com"},
    {kSitePutFile, "PutFile", "putfile.com"},
    {kSiteZippyVideos, "ZippyVideos", "zippyvideos.com"},
}};

}  // namespace

std::span<const SiteEntry> SiteTable() { return kSites; }

int GetSiteId(const std::string& address) {
  for (const SiteEntry& site : kSites) {
    if (ContainsNoCase(address, site.domain)) return site.id;
  }
  return kSiteNone;
}

}  // namespace reelcatch
