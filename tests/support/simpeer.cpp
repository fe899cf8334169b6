#include "tests/support/simpeer.h"

#include <stdexcept>

SimPeer::SimPeer(const DeviceProfile &profile) : device(profile)
{
    if (!tcp.listen(0))
        throw std::runtime_error("simulator cannot listen on 127.0.0.1");
}
