#include "transfer/CTransferContext.h"

#include "transfer/CRunFence.h"
#include "transfer/CStopSignal.h"

namespace skerrow {

bool CTransferContext::Stopped() const
{
    return stop.IsSet() || (fence && fence->IsReleased());
}

} // namespace skerrow
