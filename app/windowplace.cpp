#include "app/windowplace.h"

#include <QDataStream>

namespace {

// What QWidget::saveGeometry writes first.
constexpr quint32 placeMagic = 0x1D9D0CB;

StoredRect readRect(QDataStream& stream)
{
    qint32 left = 0, top = 0, right = 0, bottom = 0;
    stream >> left >> top >> right >> bottom;
    return {left, top, right, bottom};
}

bool fitsSomeScreen(const StoredRect& rect, const QList<QRect>& screens)
{
    for (const QRect& screen : screens)
        if (rect.width() <= screen.width() && rect.height() <= screen.height())
            return true;
    return false;
}

bool overlapsSomeScreen(const StoredRect& rect, const QList<QRect>& screens)
{
    for (const QRect& screen : screens)
        if (rect.left <= screen.right() && rect.right >= screen.left() && rect.top <= screen.bottom()
            && rect.bottom >= screen.top())
            return true;
    return false;
}

bool isSaneRect(const StoredRect& rect, const QSize& minimum, const QList<QRect>& screens)
{
    return rect.width() > 0 && rect.height() > 0 && rect.width() >= minimum.width()
        && rect.height() >= minimum.height() && fitsSomeScreen(rect, screens);
}

} // namespace

std::optional<StoredWindowPlace> readStoredWindowPlace(const QByteArray& saved)
{
    QDataStream stream(saved);
    stream.setVersion(QDataStream::Qt_4_0);
    quint32 magic = 0;
    quint16 major = 0;
    quint16 minor = 0;
    stream >> magic >> major >> minor;
    if (magic != placeMagic || major < 1 || major > 3)
        return std::nullopt;
    StoredWindowPlace place;
    place.frame = readRect(stream);
    place.normal = readRect(stream);
    qint32 screenNumber = 0;
    quint8 maximized = 0;
    quint8 fullScreen = 0;
    stream >> screenNumber >> maximized >> fullScreen;
    if (major >= 2) {
        qint32 screenWidth = 0;
        stream >> screenWidth;
    }
    place.inside = major >= 3 ? readRect(stream) : place.normal;
    if (stream.status() != QDataStream::Ok)
        return std::nullopt;
    return place;
}

bool isSaneWindowPlace(const StoredWindowPlace& place, const QSize& minimum, const QList<QRect>& screens)
{
    return isSaneRect(place.normal, minimum, screens) && isSaneRect(place.inside, minimum, screens)
        && isSaneRect(place.frame, minimum, screens) && overlapsSomeScreen(place.frame, screens);
}
