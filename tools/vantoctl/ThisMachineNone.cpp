#include "ProfileTransfer.h"

namespace vanto::ctl {

// Off Windows the only machine with profiles is a simulated one (--machine DIR).
std::unique_ptr<TMachine> OpenThisMachine() {
    return nullptr;
}

} // namespace vanto::ctl
