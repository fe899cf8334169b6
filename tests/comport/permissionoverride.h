#pragma once
// Root without the permission override meets the permission bits like a user.
#include <algorithm>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// Runs f with the override given up (for this thread) and takes it back;
// false, without running f, where it cannot be given up.
template <typename F>
bool withoutPermissionOverride(F &&f)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved[2]{}, reduced[2]{};
    if (::syscall(SYS_capget, &header, saved) != 0)
        return false;
    std::copy(saved, saved + 2, reduced);
    reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    if (::syscall(SYS_capset, &header, reduced) != 0)
        return false;
    f();
    ::syscall(SYS_capset, &header, saved);
    return true;
}
