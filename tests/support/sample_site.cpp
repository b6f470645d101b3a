#include "support/sample_site.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>

#include "support/scripted_server.h"

namespace reelcatch::test {

std::string SampleVideoBytes(const std::string& seed, size_t size) {
  std::minstd_rand random(static_cast<unsigned>(std::hash<std::string>{}(seed)));
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random());
  return bytes;
}

std::vector<SampleVideo> ServeSampleSite(ScriptedServer& server) {
  const std::string base = server.Url("");
  std::string daily = base + "/media/daily.flv";
  for (size_t at; (at = daily.find_first_of(":/")) != std::string::npos;) {
    daily.replace(at, 1, daily[at] == ':' ? "%3A" : "%2F");
  }
  const std::string youtube =
      "/youtube.com/"
      "get_video?video_id=Xy_Z789&t=OEgsToPDskJ0aQ&s=4F3A9C21B7E05D68:92C4E17A3B6F0D85";
  struct Site {
    const char* page;
    std::string html;
    std::string video;
    size_t size;
    const char *fileName, *sizeText;
  } sites[] = {
      {"/video.google.com/videoplay?docid=12",
       "<a class=\"dl\" href=\"" + base +
           "/media/google?id=7&amp;fmt=flv\">Download</a> <span id=\"ipoddownloadlink\"></span>",
       "/media/google?id=7&fmt=flv", 70000, "google-video.mp4", "68.4 KB"},
      {"/youtube.com/watch?v=abc123&feature=related",
       "<script>var so = new SWFObject(\"/player2.swf?video_id=Xy_Z789&l=34&t=OEgsToPDskJ0aQ\", "
       "\"movie_player\");</script>",
       youtube, 150000, "get_videovideo_id=Xy_Z789t=OEgs.flv", "146.5 KB"},
      {"/bolt.com/video/clip-42",
       "<input type=\"text\" Value=\"[url=" + base + "/bolt.com/video/clip-42][IMG]" + base +
           "/image/boltclip_small.jpg[/IMG][/url]\">",
       "/movie/boltclip.flv", 20000, "boltclip.flv", "19.5 KB"},
      {"/angryalien.com/bunnies", "<embed src=\"" + base + "/media/angry.flv\" />",
       "/media/angry.flv", 3000, "angry.flv", "2.9 KB"},
      {"/thatvideosite.com/v/9", "<embed src='" + base + "/media/that.wmv' />", "/media/that.wmv",
       4096, "that.wmv", "4 KB"},
      {"/myspace.com/index.cfm?fuseaction=vids.individual&videoid=1234567890", "<html>video</html>",
       "/1234500/09/87/1234567890.flv", 9000, "1234567890.flv", "8.8 KB"},
      {"/ifilm.com/video/2714999?htv=12", "<html>video</html>", "/flv/2714999_300.flv", 1000,
       "2714999_300.flv", "1000 Bytes"},
      {"/break.com/index/funny.html",
       "<script>var sGlobalFileName='breakclip'; var sGlobalContentFilePath='2006/9';</script>",
       "/dnet/media/2006/9/breakclip.flv", 60000, "breakclip.flv", "58.6 KB"},
      {"/blip.tv/file/55",
       "<input readonly=\"readonly\" type=\"text\" class=\"permalink_input\" value=\"" + base +
           "/media/blip.flv\" />",
       "/media/blip.flv", 12000, "blip.flv", "11.7 KB"},
      {"/dailymotion.com/video/x1", "<script>so.addVariable(\"url\", \"" + daily + "\");</script>",
       "/media/daily.flv", 33000, "daily.flv.flv", "32.2 KB"},
      {"/putfile.com/v/3",
       "<a href=\"" + base + "/media/first.wmv\">wmv</a> <embed flashvars=\"file=" + base +
           "/media/put.flv\" />",
       "/media/put.flv", 2500, "put.flv", "2.4 KB"},
      // A server that gives no length: the body ends with the connection.
      {"/zippyvideos.com/v/77",
       "<param name='flashvars' value='storageId=5&userName=bob&videoId=77&srvURL=" + base +
           "/zv'>",
       "/zv/5/bob/77", 45000, "77.flv", "0"},
  };
  std::vector<SampleVideo> videos;
  for (const Site& site : sites) {
    std::string bytes = SampleVideoBytes(site.video, site.size);
    Headers headers = {{"Content-Type", "video/x-flv"}};
    if (site.video.starts_with("/media/google")) {
      headers.emplace_back("Content-Disposition", "attachment; filename=\"google-video.mp4\"");
    }
    server.Route(site.page, Response::Ok(site.html, {{"Content-Type", "text/html"}}));
    server.Route(site.video, site.sizeText == std::string("0")
                                 ? Response::Head("HTTP/1.1 200 OK", headers).Send(bytes)
                                 : Response::Ok(bytes, headers));
    videos.push_back({base + site.page, site.video, site.fileName, site.sizeText, bytes});
  }
  return videos;
}

SampleVideo ServeOtherSitePage(ScriptedServer& server) {
  const std::string page = "/films.example/watch/42/", video = "/media/sunset.mp4?q=hd&t=0";
  const std::string html =
      "<!doctype html><html><head><title>Sunset over the bay</title></head><body>"
      "<video controls poster=\"/img/sunset.jpg\">"
      "<source src=\"/media/sunset.webm?q=hd&amp;t=0\" type=\"video/webm\">"
      "<source src=\"../../../media/sunset.mp4?q=hd&amp;t=0\" type=\"video/mp4\">"
      "</video></body></html>";
  std::string bytes = SampleVideoBytes(video, 80000);
  server.Route(page, Response::Ok(html, {{"Content-Type", "text/html; charset=utf-8"}}));
  server.Route(video, Response::Ok(bytes, {{"Content-Type", "video/mp4"}}));
  return {server.Url(page), video, "sunset.mp4", "78.1 KB", bytes};
}

SampleVideo ServeStreamPage(ScriptedServer& server, const std::string& fixtureFolder) {
  namespace fs = std::filesystem;
  auto read = [&](const std::string& name) {
    std::ifstream in(fs::path(fixtureFolder) / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string page = "/news.example/evening/";
  server.Route(page, Response::Ok("<title>Evening news</title><video src=\"clip/index.m3u8\">",
                                  {{"Content-Type", "text/html"}}));
  server.Route(
      page + "clip/index.m3u8",
      Response::Ok(read("index.m3u8"), {{"Content-Type", "application/vnd.apple.mpegurl"}}));
  std::string joined;
  for (const char* segment : {"seg0.ts", "seg1.ts", "seg2.ts"}) {
    server.Route(page + "clip/" + segment,
                 Response::Ok(read(segment), {{"Content-Type", "video/mp2t"}}));
    joined += read(segment);
  }
  return {server.Url(page), page + "clip/index.m3u8", "index.ts", "17.1 KB", joined};
}

}  // namespace reelcatch::test
