#include "platform/network.h"

#include <ifaddrs.h>
#include <net/if.h>

namespace reelcatch {

bool SystemNetwork::IsConnected() {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return false;
  bool connected = false;
  for (ifaddrs* entry = list; entry != nullptr && !connected; entry = entry->ifa_next) {
    unsigned flags = entry->ifa_flags;
    connected = (flags & IFF_UP) && (flags & IFF_RUNNING) && !(flags & IFF_LOOPBACK);
  }
  freeifaddrs(list);
  return connected;
}

}  // namespace reelcatch
