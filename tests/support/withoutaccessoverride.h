#pragma once
// Root without the permission and owner overrides meets the permission bits
// like a user, and can give no file away: for tests of "no permission" on a
// machine where tests run as root.
#include <algorithm>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

class WithoutAccessOverride {
public:
    WithoutAccessOverride()
    {
        if (::syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2];
        std::copy(m_saved, m_saved + 2, reduced);
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_CHOWN) | (1u << CAP_FOWNER));
        m_active = ::syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~WithoutAccessOverride()
    {
        if (m_active)
            ::syscall(SYS_capset, &m_header, m_saved);
    }
    WithoutAccessOverride(const WithoutAccessOverride &) = delete;
    WithoutAccessOverride &operator=(const WithoutAccessOverride &) = delete;

    // False where the process may not change its capabilities.
    bool active() const { return m_active; }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_active = false;
};
