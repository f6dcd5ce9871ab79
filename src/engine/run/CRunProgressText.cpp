#include "run/CRunProgressText.h"

#include <algorithm>

#include "app/CNumberText.h"
#include "app/CStringTable.h"

namespace skerrow {
namespace {

std::string Number(uint64_t value)
{
    return CNumberText::Grouped(value);
}

} // namespace

std::string CRunProgressText::Describe(const CRunProgressSnapshot& progress)
{
    using Kind = CRunProgressSnapshot::Kind;
    if (progress.kind == Kind::None)
        return std::string();
    // Short enough for the pane at the window's first size in every language; the time left comes
    // before the bytes, so that it is the last thing a narrow window cuts.
    std::string text = FormatText(
        (progress.kind == Kind::Delete ? Tr("T.ProgressDeletedCount", "%s deleted") : Tr("T.ProgressSent", "%s sent"))
            .c_str(),
        Number(progress.rowsSent).c_str());
    if (progress.rowsFailed > 0)
        text += ", " + FormatText(Tr("T.ProgressFailed", "%s failed").c_str(), Number(progress.rowsFailed).c_str());
    const uint64_t toGo = progress.rowsTotal - std::min(progress.rowsTotal, progress.rowsDone);
    text += ", " + FormatText(Tr("T.ProgressToGo", "%s to go").c_str(), Number(toGo).c_str());
    if (progress.secondsLeft >= 0)
        text += ", " + FormatText(Tr("T.ProgressLeft", "%s left").c_str(), Duration(progress.secondsLeft).c_str());
    if (progress.kind == Kind::Upload && progress.bytesTotal > 0) {
        text += ", " + FormatText(Tr("T.ProgressBytes", "%s of %s").c_str(), Size(progress.bytesDone).c_str(),
                                  Size(progress.bytesTotal).c_str());
        if (progress.rate > 0)
            text += ", " + FormatText(Tr("T.ProgressRate", "%s/s").c_str(),
                                      Size(static_cast<uint64_t>(progress.rate)).c_str());
    }
    return text;
}

std::string CRunProgressText::TitlePrefix(const CRunProgressSnapshot& progress)
{
    if (progress.kind == CRunProgressSnapshot::Kind::None)
        return std::string();
    return FormatText("[%d %%] ", progress.percent);
}

std::string CRunProgressText::Size(uint64_t bytes)
{
    if (bytes < 1024)
        return FormatText(Tr("T.SizeBytes", "%s bytes").c_str(), Number(bytes).c_str());
    // With the language's decimal sign: "1,5 Mo" in French.
    const double kb = static_cast<double>(bytes) / 1024.0;
    if (kb < 1024.0)
        return FormatText(Tr("T.SizeKB", "%s KB").c_str(), CNumberText::OneDecimal(kb).c_str());
    if (kb < 1024.0 * 1024.0)
        return FormatText(Tr("T.SizeMB", "%s MB").c_str(), CNumberText::OneDecimal(kb / 1024.0).c_str());
    return FormatText(Tr("T.SizeGB", "%s GB").c_str(), CNumberText::OneDecimal(kb / (1024.0 * 1024.0)).c_str());
}

std::string CRunProgressText::Duration(int64_t seconds)
{
    const int64_t hours = seconds / 3600;
    const int64_t minutes = seconds / 60 % 60;
    const int64_t rest = seconds % 60;
    if (hours > 0)
        return FormatText("%lld:%02lld:%02lld", static_cast<long long>(hours), static_cast<long long>(minutes),
                          static_cast<long long>(rest));
    return FormatText("%lld:%02lld", static_cast<long long>(minutes), static_cast<long long>(rest));
}

} // namespace skerrow
