#include "stream/playlist.h"

#include <charconv>
#include <map>
#include <sstream>
#include <string_view>

#include "transfer/web_address.h"

namespace reelcatch {
namespace {

using Attributes = std::map<std::string, std::string>;

std::string_view Trim(std::string_view text) {
  const char* space = " \t\r\n";
  size_t first = text.find_first_not_of(space);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(space) - first + 1);
}

// NAME=value,NAME="quoted, with commas",...
Attributes ParseAttributes(std::string_view text) {
  Attributes attributes;
  size_t at = 0;
  while (at < text.size()) {
    size_t equals = text.find('=', at);
    if (equals == std::string_view::npos) break;
    std::string name(Trim(text.substr(at, equals - at)));
    size_t end = equals + 1;
    std::string value;
    if (end < text.size() && text[end] == '"') {
      size_t close = text.find('"', end + 1);
      if (close == std::string_view::npos) close = text.size();
      value = text.substr(end + 1, close - end - 1);
      end = text.find(',', close);
    } else {
      end = text.find(',', end);
      value = Trim(text.substr(equals + 1, end - equals - 1));
    }
    attributes[name] = value;
    at = end == std::string_view::npos ? text.size() : end + 1;
  }
  return attributes;
}

std::optional<uint64_t> Number(std::string_view text) {
  uint64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

// "WIDTHxHEIGHT" as a pixel count; 0 when it is not one.
uint64_t Pixels(std::string_view resolution) {
  size_t x = resolution.find('x');
  if (x == std::string_view::npos) return 0;
  std::optional<uint64_t> width = Number(resolution.substr(0, x));
  std::optional<uint64_t> height = Number(resolution.substr(x + 1));
  return width && height && *width < (1u << 20) && *height < (1u << 20) ? *width * *height : 0;
}

// "LENGTH[@OFFSET]"; without an offset the part follows the one before.
std::optional<ByteRange> ParseRange(std::string_view text, uint64_t follows) {
  size_t at = text.find('@');
  std::optional<uint64_t> length = Number(text.substr(0, at));
  std::optional<uint64_t> first =
      at == std::string_view::npos ? std::optional(follows) : Number(text.substr(at + 1));
  if (!length || !first || *length == 0 || *first > UINT64_MAX - *length) return std::nullopt;
  return ByteRange{*first, *length};
}

// "0x" and 32 hex digits, as 16 bytes.
std::optional<std::string> ParseIv(std::string_view text) {
  if (text.size() != 34 || !(text.starts_with("0x") || text.starts_with("0X"))) return std::nullopt;
  std::string bytes;
  for (size_t i = 2; i < text.size(); i += 2) {
    unsigned value = 0;
    auto [end, error] = std::from_chars(text.data() + i, text.data() + i + 2, value, 16);
    if (error != std::errc() || end != text.data() + i + 2) return std::nullopt;
    bytes += static_cast<char>(value);
  }
  return bytes;
}

// Reads the playlist line by line; each tag changes what the next
// address line stands for.
class Reader {
 public:
  Reader(Playlist& playlist, const std::string& base) : out_(playlist), base_(base) {}
  bool Line(std::string_view line);

 private:
  bool Tag(std::string_view name, std::string_view value);
  bool Key(const Attributes& attributes);
  bool Map(const Attributes& attributes);
  bool Uri(std::string_view text, std::string& resolved);
  bool Refuse(const std::string& why) {
    out_.refusal = why;
    return false;
  }

  Playlist& out_;
  const std::string& base_;
  std::optional<Variant> pendingVariant_;
  std::optional<ByteRange> pendingRange_;
  bool pendingRangeFollows_ = false;
  uint64_t sequence_ = 0;
  SegmentKey key_;
  std::optional<StreamResource> map_;
};

bool Reader::Uri(std::string_view text, std::string& resolved) {
  resolved = ResolveWebAddress(base_, std::string(text));
  return !resolved.empty() || Refuse(stream_refusals::kNotWebAddress);
}

bool Reader::Key(const Attributes& attributes) {
  auto find = [&](const char* name) {
    auto it = attributes.find(name);
    return it == attributes.end() ? std::string() : it->second;
  };
  std::string method = find("METHOD");
  std::string format = find("KEYFORMAT");
  key_ = {};
  if (method == "NONE") return true;
  if (method != "AES-128" || (!format.empty() && format != "identity")) {
    out_.protectedStream = true;
    return true;
  }
  if (!Uri(find("URI"), key_.uri)) return false;
  if (attributes.contains("IV")) {
    key_.iv = ParseIv(find("IV"));
    if (!key_.iv) return Refuse(std::string(stream_refusals::kBadTag) + "IV");
  }
  return true;
}

bool Reader::Map(const Attributes& attributes) {
  auto uri = attributes.find("URI");
  StreamResource map;
  if (uri == attributes.end() || !Uri(uri->second, map.uri)) {
    return !out_.refusal.empty() ? false : Refuse(std::string(stream_refusals::kBadTag) + "MAP");
  }
  auto range = attributes.find("BYTERANGE");
  if (range != attributes.end()) {
    map.range = ParseRange(range->second, 0);
    if (!map.range) return Refuse(std::string(stream_refusals::kBadTag) + "MAP");
  }
  map_ = map;
  return true;
}

bool Reader::Tag(std::string_view name, std::string_view value) {
  if (name == "#EXT-X-STREAM-INF") {
    Attributes attributes = ParseAttributes(value);
    pendingVariant_ = Variant{"", Number(attributes["BANDWIDTH"]).value_or(0),
                              Pixels(attributes["RESOLUTION"]), attributes["AUDIO"]};
    out_.master = true;
  } else if (name == "#EXT-X-MEDIA") {
    Attributes attributes = ParseAttributes(value);
    if (attributes["TYPE"] != "AUDIO" || attributes["URI"].empty()) return true;
    AudioRendition audio{attributes["GROUP-ID"], "", attributes["DEFAULT"] == "YES"};
    if (!Uri(attributes["URI"], audio.uri)) return false;
    out_.audio.push_back(audio);
  } else if (name == "#EXT-X-TARGETDURATION") {
    out_.targetDuration = static_cast<int>(std::min<uint64_t>(Number(value).value_or(0), 3600));
  } else if (name == "#EXT-X-MEDIA-SEQUENCE") {
    sequence_ = Number(value).value_or(0);
  } else if (name == "#EXT-X-BYTERANGE") {
    pendingRangeFollows_ = value.find('@') == std::string_view::npos;
    pendingRange_ = ParseRange(value, 0);
    if (!pendingRange_) return Refuse(std::string(stream_refusals::kBadTag) + "BYTERANGE");
  } else if (name == "#EXT-X-KEY") {
    return Key(ParseAttributes(value));
  } else if (name == "#EXT-X-MAP") {
    return Map(ParseAttributes(value));
  } else if (name == "#EXT-X-ENDLIST") {
    out_.ended = true;
  }
  return true;
}

bool Reader::Line(std::string_view line) {
  line = Trim(line);
  if (line.empty()) return true;
  if (line.starts_with("#")) {
    size_t colon = line.find(':');
    std::string_view value = colon == std::string_view::npos ? "" : line.substr(colon + 1);
    return Tag(line.substr(0, colon), value);
  }
  std::string uri;
  if (!Uri(line, uri)) return false;
  if (pendingVariant_) {
    pendingVariant_->uri = uri;
    out_.variants.push_back(*pendingVariant_);
    pendingVariant_.reset();
    return true;
  }
  Segment segment{{uri, pendingRange_}, sequence_++, key_, map_};
  // A part without an offset follows the one before it, of the same resource.
  if (pendingRange_ && pendingRangeFollows_) {
    const Segment* before = out_.segments.empty() ? nullptr : &out_.segments.back();
    bool follows = before && before->resource.uri == uri && before->resource.range;
    if (!follows) return Refuse(std::string(stream_refusals::kBadTag) + "BYTERANGE");
    segment.resource.range->first = before->resource.range->first + before->resource.range->length;
  }
  pendingRange_.reset();
  out_.segments.push_back(std::move(segment));
  return true;
}

}  // namespace

Playlist ParsePlaylist(const std::string& text, const std::string& base) {
  Playlist playlist;
  std::istringstream lines(text);
  std::string line;
  std::getline(lines, line);
  // A byte order mark may come first.
  if (line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);
  if (Trim(line) != "#EXTM3U") {
    playlist.refusal = stream_refusals::kNotAPlaylist;
    return playlist;
  }
  Reader reader(playlist, base);
  while (std::getline(lines, line)) {
    if (!reader.Line(line)) break;
  }
  return playlist;
}

const Variant* BestVariant(const Playlist& master) {
  const Variant* best = nullptr;
  for (const Variant& variant : master.variants) {
    if (!best || variant.bandwidth > best->bandwidth ||
        (variant.bandwidth == best->bandwidth && variant.pixels > best->pixels)) {
      best = &variant;
    }
  }
  return best;
}

const AudioRendition* AudioFor(const Playlist& master, const Variant& variant) {
  const AudioRendition* first = nullptr;
  for (const AudioRendition& audio : master.audio) {
    if (variant.audioGroup.empty() || audio.group != variant.audioGroup) continue;
    if (audio.isDefault) return &audio;
    if (!first) first = &audio;
  }
  return first;
}

}  // namespace reelcatch
