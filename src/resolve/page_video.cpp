#include "resolve/page_video.h"

#include <gumbo.h>

#include <array>
#include <memory>
#include <vector>

#include "platform/ascii.h"
#include "resolve/json_ld.h"
#include "resolve/markup_cost.h"
#include "resolve/media_types.h"
#include "resolve/page_rule.h"
#include "transfer/web_address.h"

namespace reelcatch {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// Runs of blanks as one space, none at either end: a title as shown.
std::string FoldBlanks(const std::string& text) {
  std::string folded;
  for (char c : text) {
    if (!IsSpace(c)) {
      folded += c;
    } else if (!folded.empty() && folded.back() != ' ') {
      folded += ' ';
    }
  }
  if (!folded.empty() && folded.back() == ' ') folded.pop_back();
  return folded;
}

std::string Attribute(const GumboElement& element, const char* name) {
  const GumboAttribute* attribute = gumbo_get_attribute(&element.attributes, name);
  return attribute != nullptr ? attribute->value : "";
}

// The text directly inside a node (a title's, a script's).
std::string TextOf(const GumboNode& node) {
  std::string text;
  const GumboVector& children = node.v.element.children;
  for (unsigned i = 0; i < children.length; ++i) {
    const auto* child = static_cast<const GumboNode*>(children.data[i]);
    if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE ||
        child->type == GUMBO_NODE_CDATA) {
      text += child->v.text.text;
    }
  }
  return text;
}

// What the page offers, gathered in one walk in document order.
struct PageOffers {
  std::string baseHref;
  bool hasBase = false;
  std::string title;
  bool hasTitle = false;
  std::vector<std::string> videoSources;
  // The metas that may name the video, by their property (or name).
  std::array<std::string, 4> metas;
  std::vector<std::string> jsonLd;
  std::vector<std::string> anchors;
};

constexpr std::array<const char*, 4> kVideoMetas = {"og:video:secure_url", "og:video:url",
                                                    "og:video", "twitter:player:stream"};

void AddVideo(const GumboNode& node, PageOffers& offers) {
  const GumboElement& video = node.v.element;
  offers.videoSources.push_back(Attribute(video, "src"));
  std::vector<std::string> others;
  for (unsigned i = 0; i < video.children.length; ++i) {
    const auto* child = static_cast<const GumboNode*>(video.children.data[i]);
    if (child->type != GUMBO_NODE_ELEMENT || child->v.element.tag != GUMBO_TAG_SOURCE) continue;
    std::string src = Attribute(child->v.element, "src");
    std::string type = LowerAscii(Attribute(child->v.element, "type"));
    // An MP4 plays everywhere: it goes first, the others in their order.
    (type.starts_with("video/mp4") ? offers.videoSources : others).push_back(src);
  }
  offers.videoSources.insert(offers.videoSources.end(), others.begin(), others.end());
}

void AddMeta(const GumboElement& meta, PageOffers& offers) {
  std::string key = LowerAscii(Attribute(meta, "property"));
  if (key.empty()) key = LowerAscii(Attribute(meta, "name"));
  for (size_t i = 0; i < kVideoMetas.size(); ++i) {
    if (key == kVideoMetas[i] && offers.metas[i].empty())
      offers.metas[i] = Attribute(meta, "content");
  }
}

void Visit(const GumboNode& node, PageOffers& offers) {
  const GumboElement& element = node.v.element;
  switch (element.tag) {
    case GUMBO_TAG_BASE:
      if (!offers.hasBase && gumbo_get_attribute(&element.attributes, "href") != nullptr) {
        offers.baseHref = Attribute(element, "href");
        offers.hasBase = true;
      }
      break;
    case GUMBO_TAG_TITLE:
      if (!offers.hasTitle) offers.title = FoldBlanks(TextOf(node));
      offers.hasTitle = true;
      break;
    case GUMBO_TAG_VIDEO:
      AddVideo(node, offers);
      break;
    case GUMBO_TAG_META:
      AddMeta(element, offers);
      break;
    case GUMBO_TAG_SCRIPT:
      if (LowerAscii(FoldBlanks(Attribute(element, "type"))) == "application/ld+json") {
        offers.jsonLd.push_back(TextOf(node));
      }
      break;
    case GUMBO_TAG_A:
      if (gumbo_get_attribute(&element.attributes, "href") != nullptr) {
        offers.anchors.push_back(Attribute(element, "href"));
      }
      break;
    default:
      break;
  }
}

// Walks the tree without recursion: a hostile page nests deep.
PageOffers Gather(const GumboNode* root) {
  PageOffers offers;
  std::vector<const GumboNode*> pending = {root};
  while (!pending.empty()) {
    const GumboNode* node = pending.back();
    pending.pop_back();
    if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE) continue;
    Visit(*node, offers);
    const GumboVector& children = node->v.element.children;
    for (unsigned i = children.length; i > 0; --i) {
      pending.push_back(static_cast<const GumboNode*>(children.data[i - 1]));
    }
  }
  return offers;
}

std::string Trimmed(const std::string& text) {
  size_t first = 0, last = text.size();
  while (first < last && IsSpace(text[first])) ++first;
  while (last > first && IsSpace(text[last - 1])) --last;
  return text.substr(first, last - first);
}

// The candidate as an absolute web address; empty when it is none.
std::string Usable(const std::string& candidate, const std::string& base) {
  std::string text = Trimmed(candidate);
  std::string scheme = LowerAscii(text.substr(0, 5));
  if (text.empty() || scheme == "blob:" || scheme == "data:") return {};
  std::string link = ResolveWebAddress(base, text);
  return link.size() > kMaxLinkBytes ? std::string() : link;
}

std::string FirstUsable(const PageOffers& offers, const std::string& base) {
  for (const std::string& source : offers.videoSources) {
    if (std::string link = Usable(source, base); !link.empty()) return link;
  }
  for (const std::string& meta : offers.metas) {
    if (std::string link = Usable(meta, base); !link.empty()) return link;
  }
  for (const std::string& script : offers.jsonLd) {
    for (const std::string& url : VideoObjectUrls(script)) {
      if (std::string link = Usable(url, base); !link.empty()) return link;
    }
  }
  for (const std::string& href : offers.anchors) {
    std::string link = Usable(href, base);
    if (!link.empty() && HasMediaExtension(WebAddressPath(link))) return link;
  }
  return {};
}

struct OutputDeleter {
  const GumboOptions* options;
  void operator()(GumboOutput* output) const { gumbo_destroy_output(options, output); }
};

}  // namespace

PageVideo FindPageVideo(const std::string& page, const std::string& pageAddress) {
  if (!ParserCanRead(page)) return {};
  GumboOptions options = kGumboDefaultOptions;
  // The parse errors are of no use here, and a broken page has millions.
  options.max_errors = 0;
  std::unique_ptr<GumboOutput, OutputDeleter> output(
      gumbo_parse_with_options(&options, page.data(), page.size()), OutputDeleter{&options});
  if (!output) return {};
  PageOffers offers = Gather(output->root);
  std::string base = pageAddress;
  if (offers.hasBase) {
    std::string resolved = ResolveWebAddress(pageAddress, Trimmed(offers.baseHref));
    if (!resolved.empty()) base = resolved;
  }
  return {FirstUsable(offers, base), offers.title};
}

}  // namespace reelcatch
