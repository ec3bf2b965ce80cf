#pragma once

#include <cstdint>

namespace quorbel {

// Device completion codes carried by a notice.
inline constexpr unsigned kNotifySuccessful = 1;
inline constexpr unsigned kNotifySuperseded = 2;
inline constexpr unsigned kNotifyAborted = 4;
inline constexpr unsigned kNotifyFailure = 8;

// The window message a device notice arrives as.
inline constexpr unsigned kMsgDeviceNotify = 0x3B9;

// Where the device posts completion notices. post() may be called from any thread except an
// audio callback; the implementation queues the notice and delivers it later on the UI
// thread (a posted message), never by calling into the view directly.
class NotifySink {
  public:
    virtual ~NotifySink() = default;
    virtual void postDeviceNotify(unsigned code, std::uint32_t deviceId) = 0;
};

}  // namespace quorbel
