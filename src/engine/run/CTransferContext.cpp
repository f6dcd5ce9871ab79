#include "run/CTransferContext.h"

#include "run/CRunFence.h"
#include "run/CStopSignal.h"

namespace skerrow {

bool CTransferContext::Stopped() const
{
    return stop.IsSet() || (fence && fence->IsReleased());
}

} // namespace skerrow
