#pragma once
// The window's place as the settings keep it (the bytes of
// QWidget::saveGeometry), read without Qt applying it, so that a place no
// window can have had is recognised before it moves or sizes anything.
#include <QByteArray>
#include <QList>
#include <QRect>
#include <QSize>
#include <QtGlobal>
#include <optional>

// A rectangle as stored: edges of 32 bits, whose width may not fit in one.
struct StoredRect {
    qint64 left = 0;
    qint64 top = 0;
    qint64 right = -1;
    qint64 bottom = -1;

    qint64 width() const { return right - left + 1; }
    qint64 height() const { return bottom - top + 1; }
};

struct StoredWindowPlace {
    // With the window manager's frame.
    StoredRect frame;
    // Where the window goes back to from maximised.
    StoredRect normal;
    // The window without its frame; older forms do not hold it (normal then).
    StoredRect inside;
};

// The rectangles of saved, or none when the bytes are no saved place.
std::optional<StoredWindowPlace> readStoredWindowPlace(const QByteArray& saved);

// Whether the user can have left the window there: every rectangle has a
// positive size no larger than a screen, the window no smaller than its
// minimum, and its frame overlaps one of the screens there are.
bool isSaneWindowPlace(const StoredWindowPlace& place, const QSize& minimum, const QList<QRect>& screens);
