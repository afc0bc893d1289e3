#pragma once
// Root passes every file permission check; tests of read-only directories need them to hold.
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// While it lives, the calling thread is refused what file permissions refuse, also as root
// (CAP_DAC_OVERRIDE leaves the effective set and comes back afterwards).
class WithoutDacOverride final {
public:
    WithoutDacOverride()
    {
        if (::geteuid() != 0) {
            m_active = true;  // permissions apply anyway
            return;
        }
        if (::syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct changed[2] = {m_saved[0], m_saved[1]};
        changed[CAP_TO_INDEX(CAP_DAC_OVERRIDE)].effective &= ~CAP_TO_MASK(CAP_DAC_OVERRIDE);
        m_dropped = ::syscall(SYS_capset, &m_header, changed) == 0;
        m_active = m_dropped;
    }
    ~WithoutDacOverride()
    {
        if (m_dropped)
            ::syscall(SYS_capset, &m_header, m_saved);
    }
    WithoutDacOverride(const WithoutDacOverride&) = delete;
    WithoutDacOverride& operator=(const WithoutDacOverride&) = delete;
    bool isActive() const { return m_active; }

private:
    __user_cap_header_struct m_header {_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2] {};
    bool m_dropped = false;
    bool m_active = false;
};
