#include "commands/CUploadCommand.h"

#include "host/CCliSession.h"

namespace skerrow::cli {

int CUploadCommand::Run()
{
    m_session.Controller().OnFindFilesTransfer();
    m_session.RunToEnd();
    return Conclude(m_session.Outcome(true), "Sent", "not sent", "files");
}

} // namespace skerrow::cli
