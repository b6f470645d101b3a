#include "resolve/json_ld.h"

#include <nlohmann/json.hpp>

namespace reelcatch {
namespace {

// Keeps members in the order written, so "the first" means what it says.
using json = nlohmann::ordered_json;

// Deeper than any description of a page; bounds the walk on hostile text.
constexpr int kMaxDepth = 32;
constexpr size_t kMaxScriptBytes = size_t{1} << 20;

bool IsVideoObject(const json& object) {
  auto type = object.find("@type");
  if (type == object.end()) return false;
  if (type->is_string()) return *type == "VideoObject";
  if (!type->is_array()) return false;
  for (const json& each : *type) {
    if (each.is_string() && each == "VideoObject") return true;
  }
  return false;
}

void Collect(const json& value, int depth, std::vector<std::string>& urls) {
  if (depth > kMaxDepth) return;
  if (value.is_array()) {
    for (const json& each : value) Collect(each, depth + 1, urls);
    return;
  }
  if (!value.is_object()) return;
  if (IsVideoObject(value)) {
    auto url = value.find("contentUrl");
    if (url != value.end() && url->is_string()) urls.push_back(url->get<std::string>());
  }
  for (const auto& member : value.items()) Collect(member.value(), depth + 1, urls);
}

}  // namespace

std::vector<std::string> VideoObjectUrls(const std::string& script) {
  std::vector<std::string> urls;
  // A page's description of itself is a few kilobytes; a megabyte of JSON
  // takes the parser long, and cannot be stopped midway.
  if (script.size() > kMaxScriptBytes) return urls;
  // No exceptions: text that is no JSON gives a discarded value.
  json document = json::parse(script, nullptr, false);
  if (!document.is_discarded()) Collect(document, 0, urls);
  return urls;
}

}  // namespace reelcatch
