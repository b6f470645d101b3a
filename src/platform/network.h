#pragma once

namespace reelcatch {

// Whether the machine has a network connection at all.
class Network {
 public:
  virtual ~Network() = default;
  virtual bool IsConnected() = 0;
};

// Some interface up, running and not loopback.
class SystemNetwork : public Network {
 public:
  bool IsConnected() override;
};

}  // namespace reelcatch
