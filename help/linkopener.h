#pragma once
// Opens a web or "mailto:" address in the user's browser or mail program,
// fire and forget. Tests put a recording opener in its place.
#include <QString>

class LinkOpener {
public:
    virtual ~LinkOpener() = default;
    virtual void openLink(const QString& target) = 0;
};

// The desktop's own: QDesktopServices::openUrl.
LinkOpener& desktopLinkOpener();
