#include "support/sample_site.h"

#include <cstdint>

#include "support/scripted_server.h"

namespace reelcatch::test {

namespace {

void AddPage(SampleSite& site, const std::string& path, const std::string& html) {
  site.routes.push_back({path, "text/html; charset=UTF-8", html, {}, true});
}

void AddVideo(SampleSite& site, const std::string& path, size_t size,
              std::vector<std::pair<std::string, std::string>> headers = {},
              bool sendLength = true) {
  site.routes.push_back(
      {path, "video/x-flv", SampleVideoBytes(path, size), std::move(headers), sendLength});
}

void AddGoogleAndYouTube(SampleSite& site, const std::string& base) {
  AddPage(site, "/video.google.com/videoplay?docid=12",
          "<html><body><a class=\"dl\" href=\"" + base +
              "/media/google?id=7&amp;fmt=flv\">Download</a> <span "
              "id=\"ipoddownloadlink\"></span></body></html>");
  AddVideo(site, "/media/google?id=7&fmt=flv", 70000,
           {{"Content-Disposition", "attachment; filename=\"google-video.mp4\""}});
  site.videos.push_back({"Google Video", base + "/video.google.com/videoplay?docid=12",
                         "/media/google?id=7&fmt=flv", "google-video.mp4", "68.4 KB"});

  AddPage(site, "/youtube.com/watch?v=abc123&feature=related",
          "<script>var so = new SWFObject(\"/player2.swf?video_id=Xy_Z789&l=34&t="
          "OEgsToPDskJ0aQ\", \"movie_player\");</script>");
  AddVideo(site,
           "/youtube.com/get_video?video_id=Xy_Z789&t=OEgsToPDskJ0aQ&s=4F3A9C21B7E05D68:"
           "92C4E17A3B6F0D85",
           150000);
  site.videos.push_back({"YouTube", base + "/youtube.com/watch?v=abc123&feature=related",
                         "/youtube.com/get_video?video_id=Xy_Z789&t=OEgsToPDskJ0aQ&s="
                         "4F3A9C21B7E05D68:92C4E17A3B6F0D85",
                         "get_videovideo_id=Xy_Z789t=OEgs.flv",
                         "146.5 KB"});
}

void AddEmbeddingSites(SampleSite& site, const std::string& base) {
  std::string bolt = base + "/bolt.com/video/clip-42";
  AddPage(site, "/bolt.com/video/clip-42",
          "<input type=\"text\" Value=\"[url=" + bolt + "][IMG]" + base +
              "/image/boltclip_small.jpg[/IMG][/url]\">");
  AddVideo(site, "/movie/boltclip.flv", 20000);
  site.videos.push_back({"Bolt", bolt, "/movie/boltclip.flv", "boltclip.flv", "19.5 KB"});

  AddPage(site, "/angryalien.com/bunnies", "<embed src=\"" + base + "/media/angry.flv\" />");
  AddVideo(site, "/media/angry.flv", 3000);
  site.videos.push_back({"AngryAlien", base + "/angryalien.com/bunnies", "/media/angry.flv",
                         "angry.flv", "2.9 KB"});

  AddPage(site, "/thatvideosite.com/v/9", "<embed src='" + base + "/media/that.wmv' />");
  AddVideo(site, "/media/that.wmv", 4096);
  site.videos.push_back({"ThatVideoSite", base + "/thatvideosite.com/v/9", "/media/that.wmv",
                         "that.wmv", "4 KB"});
}

void AddMediaHostSites(SampleSite& site, const std::string& base) {
  AddPage(site, "/myspace.com/index.cfm?fuseaction=vids.individual&videoid=1234567890", "<html>video</html>");
  AddVideo(site, "/1234500/09/87/1234567890.flv", 9000);
  site.videos.push_back({"MySpace",
                         base + "/myspace.com/index.cfm?fuseaction=vids.individual&videoid="
                                "1234567890",
                         "/1234500/09/87/1234567890.flv", "1234567890.flv", "8.8 KB"});

  AddPage(site, "/ifilm.com/video/2714999?htv=12", "<html>video</html>");
  AddVideo(site, "/flv/2714999_300.flv", 1000);
  site.videos.push_back({"iFilm", base + "/ifilm.com/video/2714999?htv=12",
                         "/flv/2714999_300.flv", "2714999_300.flv", "1000 Bytes"});

  AddPage(site, "/break.com/index/funny.html",
          "<script>var sGlobalFileName='breakclip'; var sGlobalContentFilePath='2006/9';"
          "</script>");
  AddVideo(site, "/dnet/media/2006/9/breakclip.flv", 60000);
  site.videos.push_back({"Break", base + "/break.com/index/funny.html",
                         "/dnet/media/2006/9/breakclip.flv", "breakclip.flv", "58.6 KB"});
}

void AddPlayerVariableSites(SampleSite& site, const std::string& base) {
  AddPage(site, "/blip.tv/file/55",
          "<input readonly=\"readonly\" type=\"text\" class=\"permalink_input\" value=\"" + base +
              "/media/blip.flv\" />");
  AddVideo(site, "/media/blip.flv", 12000);
  site.videos.push_back(
      {"Blip", base + "/blip.tv/file/55", "/media/blip.flv", "blip.flv", "11.7 KB"});

  std::string encoded = base + "/media/daily.flv";
  std::string escaped;
  for (char c : encoded) escaped += (c == '/') ? std::string("%2F") : (c == ':') ? "%3A" : std::string(1, c);
  AddPage(site, "/dailymotion.com/video/x1",
          "<script>so.addVariable(\"url\", \"" + escaped + "\");</script>");
  AddVideo(site, "/media/daily.flv", 33000);
  site.videos.push_back({"Dailymotion", base + "/dailymotion.com/video/x1", "/media/daily.flv",
                         "daily.flv.flv", "32.2 KB"});

  AddPage(site, "/putfile.com/v/3",
          "<a href=\"" + base + "/media/first.wmv\">wmv</a> <embed flashvars=\"file=" + base +
              "/media/put.flv\" />");
  AddVideo(site, "/media/put.flv", 2500);
  site.videos.push_back(
      {"PutFile", base + "/putfile.com/v/3", "/media/put.flv", "put.flv", "2.4 KB"});

  AddPage(site, "/zippyvideos.com/v/77",
          "<param name='flashvars' value='storageId=5&userName=bob&videoId=77&srvURL=" + base +
              "/zv'>");
  AddVideo(site, "/zv/5/bob/77", 45000, {}, false);
  site.videos.push_back(
      {"ZippyVideos", base + "/zippyvideos.com/v/77", "/zv/5/bob/77", "77.flv", "0"});
}

}  // namespace

std::string SampleVideoBytes(const std::string& seed, size_t size) {
  uint32_t state = 2166136261u;
  for (char c : seed) state = (state ^ static_cast<unsigned char>(c)) * 16777619u;
  std::string bytes(size, '\0');
  for (char& byte : bytes) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    byte = static_cast<char>(state & 0xff);
  }
  return bytes;
}

SampleSite MakeSampleSite(const std::string& base) {
  SampleSite site;
  AddGoogleAndYouTube(site, base);
  AddEmbeddingSites(site, base);
  AddMediaHostSites(site, base);
  AddPlayerVariableSites(site, base);
  return site;
}

void ServeSampleSite(ScriptedServer& server, const SampleSite& site) {
  for (const SampleRoute& route : site.routes) {
    Headers headers(route.headers.begin(), route.headers.end());
    headers.emplace_back("Content-Type", route.contentType);
    if (route.sendLength) {
      server.Route(route.target, Response::Ok(route.body, headers));
    } else {
      headers.emplace_back("Connection", "close");
      server.Route(route.target, Response::Head("HTTP/1.1 200 OK", headers).Send(route.body));
    }
  }
}

}  // namespace reelcatch::test
