#include "help/linkopener.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

class DesktopLinkOpener : public LinkOpener {
public:
    void openLink(const QString& target) override
    {
        // Nothing is reported when no browser or mail program takes it.
        QDesktopServices::openUrl(QUrl(target));
    }
};

} // namespace

LinkOpener& desktopLinkOpener()
{
    static DesktopLinkOpener opener;
    return opener;
}
