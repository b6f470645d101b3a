#include "resolve/site_rules.h"

#include <cstdlib>

#include "resolve/site_table.h"

namespace reelcatch {

namespace {

using SiteRule = std::string (*)(const std::string&, const std::string&);

SiteRule RuleOf(int siteId) {
  switch (siteId) {
    case kSiteGoogleVideo:
      return GetGoogleVideoLink;
    case kSiteYouTube:
      return GetYouTubeLink;
    case kSiteBolt:
      return GetBoltLink;
    case kSiteMySpace:
      return GetMySpaceLink;
    case kSiteAngryAlien:
      return GetAngryAlienLink;
    case kSiteThatVideoSite:
      return GetThatVideoSiteLink;
    case kSiteIFilm:
      return GetIFilmLink;
    case kSiteBreak:
      return GetBreakLink;
    case kSiteBlip:
      return GetBlipLink;
    case kSiteDailymotion:
      return GetDailymotionLink;
    case kSitePutFile:
      return GetPutFileLink;
    case kSiteZippyVideos:
      return GetZippyVideosLink;
    default:
      return nullptr;
  }
}

}  // namespace

std::string RunSiteRule(int siteId, const std::string& sLink, const std::string& pageFile) {
  SiteRule rule = RuleOf(siteId);
  return rule ? rule(sLink, pageFile) : std::string();
}

std::string MediaHost(int siteId) {
  const char* host = nullptr;
  switch (siteId) {
    case kSiteMySpace:
      host = "http://content.movies.myspace.com";
      break;
    case kSiteIFilm:
      host = "http://download.ifilm.com";
      break;
    case kSiteBreak:
      host = "http://media1.break.com";
      break;
    default:
      return {};
  }
  const char* replacement = std::getenv("REELCATCH_MEDIA_HOST");
  return (replacement && *replacement) ? replacement : host;
}

}  // namespace reelcatch
