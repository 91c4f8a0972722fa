#pragma once

#include <array>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace brivadoro::testing {

// While it lives, the calling thread obeys file permissions as every player does, even when the
// tests run as root: it drops the power to override them from its effective capabilities.
class ObeyFilePermissions {
public:
    ObeyFilePermissions() { allowOverride(false); }
    ~ObeyFilePermissions() { allowOverride(true); }
    ObeyFilePermissions(const ObeyFilePermissions&) = delete;
    ObeyFilePermissions& operator=(const ObeyFilePermissions&) = delete;

private:
    static void allowOverride(bool allowed) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        std::array<__user_cap_data_struct, _LINUX_CAPABILITY_U32S_3> capabilities{};
        if (::syscall(SYS_capget, &header, capabilities.data()) != 0)
            return;
        constexpr unsigned kOverride = 1U << CAP_DAC_OVERRIDE;
        if (allowed)
            capabilities[0].effective |= capabilities[0].permitted & kOverride;
        else
            capabilities[0].effective &= ~kOverride;
        ::syscall(SYS_capset, &header, capabilities.data());
    }
};

} // namespace brivadoro::testing
