#include "app/get/options.h"

#include "shell/mod_settings.h"

namespace reelcatch {

const char* const kGetUsage =
    "usage: reelcatch-get [-d DIR] [-q] PAGE_URL...   download the videos of these pages\n"
    "       reelcatch-get --resolve PAGE_URL...       print the video address of each page\n"
    "                                                 (or -1: no supported site, -2: page not\n"
    "                                                 fetched, 0: no video found)\n"
    "       reelcatch-get --site PAGE_URL...          print the site number of each address\n"
    "       reelcatch-get --info URL                  print what the server says about URL\n"
    "\n"
    "  -d, --dir DIR    download folder (default: the program's saved download folder)\n"
    "  -q, --quiet      no progress display\n"
    "  -a, --any-site   also try pages of sites without a rule of their own, and\n"
    "                   addresses of video files (for this run only)\n"
    "  -w, --wait SECS  how long to wait on a server (default 60): for a connection,\n"
    "                   for a whole page or HEAD answer, and for every SECS bytes\n"
    "                   of a video\n"
    "  -r, --retries N  how often to try a broken transfer again, 0 to 50 (default 5);\n"
    "                   each try goes on from what was received\n"
    "  -h, --help       this text\n"
    "      --version    the program's version\n"
    "\n"
    "Exit status: 0 when every address was listed and every item ended Complete,\n"
    "1 otherwise (\"List full: ADDRESS\" on stderr names each address the list had no\n"
    "room for), 2 for a usage error, 130 when stopped by Ctrl-C.\n";

namespace {

bool SetMode(GetOptions& options, GetMode mode, std::string& error) {
  if (options.mode != GetMode::Download) {
    error = "choose one of --resolve, --site and --info";
    return false;
  }
  options.mode = mode;
  return true;
}

// A whole number from low to high, in plain digits.
bool ReadWhole(const std::string& text, long low, long high, long& value) {
  if (text.empty() || text.size() > 5) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  value = std::stol(text);
  return value >= low && value <= high;
}

// The value of an option given as "-x VALUE", "--long VALUE" or "--long=VALUE".
std::string OptionValue(const std::vector<std::string>& args, size_t& i, const std::string& name) {
  const std::string& arg = args[i];
  if (arg.starts_with(name + "=")) return arg.substr(name.size() + 1);
  return i + 1 < args.size() ? args[++i] : "";
}

}  // namespace

std::optional<GetOptions> ParseGetOptions(const std::vector<std::string>& args,
                                          std::string& error) {
  GetOptions options;
  bool onlyAddresses = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (onlyAddresses || arg.empty() || arg[0] != '-' || arg == "-") {
      options.addresses.push_back(arg);
    } else if (arg == "--") {
      onlyAddresses = true;
    } else if (arg == "-h" || arg == "--help") {
      options.mode = GetMode::Help;
      return options;
    } else if (arg == "--version") {
      options.mode = GetMode::Version;
      return options;
    } else if (arg == "-q" || arg == "--quiet") {
      options.quiet = true;
    } else if (arg == "-a" || arg == "--any-site") {
      options.anySite = true;
    } else if (arg == "-d" || arg == "--dir") {
      if (i + 1 >= args.size()) {
        error = arg + " needs a folder";
        return std::nullopt;
      }
      options.dir = args[++i];
    } else if (arg.starts_with("--dir=")) {
      options.dir = arg.substr(6);
    } else if (arg == "-w" || arg == "--wait" || arg.starts_with("--wait=")) {
      if (!ReadWhole(OptionValue(args, i, "--wait"), 1, 86400, options.waitSeconds)) {
        error = arg + " needs a number of seconds from 1 to 86400";
        return std::nullopt;
      }
    } else if (arg == "-r" || arg == "--retries" || arg.starts_with("--retries=")) {
      long retries = 0;
      if (!ReadWhole(OptionValue(args, i, "--retries"), 0, 50, retries)) {
        error = arg + " needs a number from 0 to 50";
        return std::nullopt;
      }
      options.retries = static_cast<int>(retries);
    } else if (arg == "--resolve" || arg == "--site" || arg == "--info") {
      GetMode mode = arg == "--resolve" ? GetMode::Resolve
                     : arg == "--site"  ? GetMode::Site
                                        : GetMode::Info;
      if (!SetMode(options, mode, error)) return std::nullopt;
    } else {
      error = "unknown option " + arg;
      return std::nullopt;
    }
  }
  if (options.addresses.empty()) {
    error = "no address given";
    return std::nullopt;
  }
  if (options.mode == GetMode::Info && options.addresses.size() != 1) {
    error = "--info takes exactly one address";
    return std::nullopt;
  }
  if (options.dir && options.dir->empty()) {
    error = "the download folder is empty";
    return std::nullopt;
  }
  if (options.dir && !IsUsableFolderSetting(*options.dir)) {
    error = "the download folder holds a control character";
    return std::nullopt;
  }
  return options;
}

}  // namespace reelcatch
