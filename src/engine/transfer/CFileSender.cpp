#include "transfer/CFileSender.h"

#include "app/CStringTable.h"
#include "ftp/CFtpConnection.h"
#include "ftp/CInternetError.h"
#include "transfer/CRenameRefusal.h"

namespace skerrow {

namespace {

constexpr size_t kLongestServerName = 255;
using Renamed = CFtpConnection::RenameResult;

} // namespace

bool CFileSender::Applies(int mode, uint64_t size, const std::string& name)
{
    if (PartName(name).size() > kLongestServerName)
        return false;
    switch (mode) {
    case kAllFiles: return true;
    case kNoFiles: return false;
    default: return size >= kLargeFileBytes;
    }
}

std::string CFileSender::PartName(const std::string& name)
{
    return "." + name + kSuffix;
}

std::string CFileSender::AsideName(const std::string& name)
{
    return "." + name + kAsideSuffix;
}

bool CFileSender::Send(const std::string& localPath, const std::string& name, int transferType, bool temporaryName)
{
    m_errorText.clear();
    m_errorCode = 0;
    m_errorReply.clear();
    if (temporaryName && !m_renames.Known())
        return SendThroughPart(localPath, name, transferType);
    return SendDirect(localPath, name, transferType);
}

bool CFileSender::SendDirect(const std::string& localPath, const std::string& name, int transferType)
{
    if (m_connection.PutFile(localPath, name, transferType))
        return true;
    TakeError();
    return false;
}

bool CFileSender::SendThroughPart(const std::string& localPath, const std::string& name, int transferType)
{
    const std::string part = PartName(name);
    if (!m_connection.PutFile(localPath, part, transferType)) {
        TakeError();
        RemovePart(part);
        return false;
    }
    switch (m_connection.Rename(part, name)) {
    case Renamed::Done: return true;
    case Renamed::FromRefused: return SendWithoutRenames(localPath, name, transferType, part);
    case Renamed::ToRefused: return ReplaceAside(part, name);
    case Renamed::Failed: break;
    }
    // Whatever became of the rename, the name was never given up.
    TakeError();
    RemovePart(part);
    return false;
}

bool CFileSender::SendWithoutRenames(const std::string& localPath, const std::string& name, int transferType,
                                     const std::string& part)
{
    m_connection.LogNote(FormatText(Tr("T.RenameRefused", "The server refused to rename %s: deleting it, then "
                                                          "sending %s under its own name.")
                                        .c_str(),
                                    part.c_str(), name.c_str()));
    RemovePart(part);
    if (m_renames.Record())
        m_connection.LogNote(
            Tr("T.NoRenames", "This server renames no file: the later files of this upload go under their own names."));
    return SendDirect(localPath, name, transferType);
}

bool CFileSender::ReplaceAside(const std::string& part, const std::string& name)
{
    TakeError(); // the row's error, unless the old file can be moved aside
    const std::string aside = AsideName(name);
    if (IsDirectory(name))
        return GiveUp(part, FormatText(Tr("T.RenameOverDirectory", "The server refused to rename %s to %s, a "
                                                                   "directory, which stays: deleting %s.")
                                           .c_str(),
                                       part.c_str(), name.c_str(), part.c_str()));
    const Renamed moved = m_connection.Rename(name, aside);
    if (moved == Renamed::Failed) {
        // Whether the old file moved is unknown; the temporary file stays for the next upload.
        TakeError();
        TellWhere(FormatText(Tr("T.OldFileMaybeAside", "The old file may now be %s.").c_str(), aside.c_str()));
        return false;
    }
    // Refused: no file of that name, or one the server will not move; the refusal had another reason.
    if (moved != Renamed::Done)
        return GiveUp(part, FormatText(Tr("T.NotMovedAside", "The server refused to rename %s to %s, and %s "
                                                             "cannot be moved aside: deleting %s.")
                                           .c_str(),
                                       part.c_str(), name.c_str(), name.c_str(), part.c_str()));
    m_connection.LogNote(FormatText(
        Tr("T.MovedAside", "The server refused to rename %s over %s: %s moved aside to %s, then renaming.").c_str(),
        part.c_str(), name.c_str(), name.c_str(), aside.c_str()));
    return TakeName(part, name, aside);
}

bool CFileSender::TakeName(const std::string& part, const std::string& name, const std::string& aside)
{
    if (m_connection.Rename(part, name) == Renamed::Done) {
        if (!m_connection.DeleteFile(aside))
            m_connection.LogNote(FormatText(
                Tr("T.AsideKept", "The old file %s could not be deleted: it stays.").c_str(), aside.c_str()));
        return true;
    }
    TakeError();
    PutBack(part, name, aside);
    return false;
}

void CFileSender::PutBack(const std::string& part, const std::string& name, const std::string& aside)
{
    if (m_connection.Rename(aside, name) == Renamed::Done)
        m_connection.LogNote(FormatText(
            Tr("T.OldFileBack", "%s could not be renamed to %s: the old file is back under its name.").c_str(),
            part.c_str(), name.c_str()));
    else
        TellWhere(FormatText(Tr("T.OldFileAside", "The old file is now %s.").c_str(), aside.c_str()));
    RemovePart(part);
}

bool CFileSender::GiveUp(const std::string& part, const std::string& note)
{
    m_connection.LogNote(note);
    RemovePart(part);
    return false;
}

void CFileSender::TellWhere(const std::string& oldFile)
{
    m_errorText += oldFile + "\n";
    m_connection.LogNote(oldFile);
}

bool CFileSender::IsDirectory(const std::string& name)
{
    if (!m_connection.SetCurrentDirectory(name))
        return false;
    m_connection.AssumeDirectory("..");
    return true;
}

void CFileSender::TakeError()
{
    m_errorCode = m_connection.LastError();
    m_errorReply = m_connection.LastResponse();
    CInternetError(&m_connection).GetErrorText(m_errorCode, m_errorText);
}

void CFileSender::RemovePart(const std::string& part)
{
    if (!m_connection.IsAborted())
        m_connection.DeleteFile(part);
}

} // namespace skerrow
