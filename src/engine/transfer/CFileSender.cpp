#include "transfer/CFileSender.h"

#include <filesystem>

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
    m_failure = Failure();
    m_where.clear();
    m_size.reset();
    m_looked = false;
    std::error_code ec;
    const auto size = std::filesystem::file_size(localPath, ec);
    if (!ec && transferType != kTransferAscii)
        m_size = static_cast<uint64_t>(size);
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
    switch (Move(part, name, true)) {
    case Renamed::Done: return true;
    case Renamed::FromRefused: return SendWithoutRenames(localPath, name, transferType, part);
    case Renamed::ToRefused: return ReplaceAside(part, name);
    case Renamed::Failed: break;
    }
    // The name was never given up: it holds what it held.
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
    Renamed moved = Move(name, aside, false);
    if ((moved == Renamed::FromRefused || moved == Renamed::ToRefused) && ClearAside(name, aside))
        moved = Move(name, aside, false);
    if (moved == Renamed::Failed) {
        // The old file did not move, as the server shows: it is under its name still.
        if (m_looked && Listed(name) && !Listed(aside))
            return GiveUp(part, FormatText(Tr("T.NotMovedAsideLost", "%s was not moved aside: deleting %s.").c_str(),
                                           name.c_str(), part.c_str()));
        // Whether it moved is unknown; the temporary file stays for the next upload.
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
    const Renamed taken = Move(part, name, true);
    if (taken == Renamed::Done) {
        if (!m_connection.DeleteFile(aside))
            m_connection.LogNote(FormatText(
                Tr("T.AsideKept", "The old file %s could not be deleted: it stays.").c_str(), aside.c_str()));
        return true;
    }
    if (taken != Renamed::Failed) {
        TakeError();
        PutBack(part, name, aside);
        return false;
    }
    // The name is free, as the server shows: the old file goes back under it.
    if (m_looked && Listed(part) && !Listed(name)) {
        PutBack(part, name, aside);
        return false;
    }
    // Unknown: nothing more is done to the names.
    TellWhere(FormatText(Tr("T.NamesUnknown", "The old file is now %s, and the new one %s, unless it took the name "
                                              "%s already.")
                             .c_str(),
                         aside.c_str(), part.c_str(), name.c_str()));
    return false;
}

void CFileSender::PutBack(const std::string& part, const std::string& name, const std::string& aside)
{
    const Failure failure = m_failure; // the row's, whatever becomes of this rename
    const Renamed back = Move(aside, name, false);
    m_failure = failure;
    if (back == Renamed::Done)
        m_connection.LogNote(FormatText(
            Tr("T.OldFileBack", "%s could not be renamed to %s: the old file is back under its name.").c_str(),
            part.c_str(), name.c_str()));
    else if (back != Renamed::Failed || m_looked)
        TellWhere(FormatText(Tr("T.OldFileAside", "The old file is now %s.").c_str(), aside.c_str()));
    else
        TellWhere(FormatText(Tr("T.OldFileMaybeBack", "The old file is now %s, unless it is back under its name.")
                                 .c_str(),
                             aside.c_str()));
    RemovePart(part);
}

Renamed CFileSender::Move(const std::string& from, const std::string& to, bool newFile)
{
    m_looked = false;
    const Renamed result = m_connection.Rename(from, to);
    if (result != Renamed::Failed)
        return result;
    TakeError();
    // No reply, or none that says: the server shows what became of the rename.
    if (!Look())
        return Renamed::Failed;
    const CFindRecord* there = Listed(to);
    if (Listed(from) || !there || (newFile && m_size && there->size != *m_size))
        return Renamed::Failed;
    m_connection.LogNote(FormatText(
        Tr("T.RenameSettled", "The reply to the rename of %s to %s was lost: the server shows it done.").c_str(),
        from.c_str(), to.c_str()));
    return Renamed::Done;
}

bool CFileSender::Look()
{
    m_listed.clear();
    m_looked = !m_connection.IsAborted() && m_connection.List("*", m_listed);
    if (!m_looked)
        m_listed.clear();
    return m_looked;
}

const CFindRecord* CFileSender::Listed(const std::string& name) const
{
    for (const CFindRecord& record : m_listed) {
        if (record.name == name && !record.IsDirectory())
            return &record;
    }
    return nullptr;
}

bool CFileSender::ClearAside(const std::string& name, const std::string& aside)
{
    // With the old file under its name, an aside already there is from an earlier upload cut
    // between its renames: an older copy still, and ours.
    if (!Look() || !Listed(name) || !Listed(aside))
        return false;
    m_connection.LogNote(FormatText(Tr("T.StaleAside", "%s is left from an earlier upload, and %s holds the old "
                                                       "file: deleting %s.")
                                        .c_str(),
                                    aside.c_str(), name.c_str(), aside.c_str()));
    return m_connection.DeleteFile(aside);
}

bool CFileSender::GiveUp(const std::string& part, const std::string& note)
{
    m_connection.LogNote(note);
    RemovePart(part);
    return false;
}

void CFileSender::TellWhere(const std::string& oldFile)
{
    m_failure.text += oldFile + "\n";
    m_where += (m_where.empty() ? "" : " ") + oldFile;
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
    m_failure.code = m_connection.LastError();
    m_failure.reply = m_connection.LastResponse();
    CInternetError(&m_connection).GetErrorText(m_failure.code, m_failure.text);
}

void CFileSender::RemovePart(const std::string& part)
{
    if (!m_connection.IsAborted())
        m_connection.DeleteFile(part);
}

} // namespace skerrow
