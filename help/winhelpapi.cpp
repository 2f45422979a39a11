#include "help/winhelpapi.h"

namespace {
WinHelpEntry& entry()
{
    static WinHelpEntry installed;
    return installed;
}
} // namespace

bool WinHelpApi(QWidget* owner, const QString& file, quint16 command, const QVariant& data)
{
    return entry() ? entry()(owner, file, command, data) : false;
}

WinHelpEntry setWinHelpEntry(WinHelpEntry replacement)
{
    WinHelpEntry old = std::move(entry());
    entry() = std::move(replacement);
    return old;
}
