#include "storedplace.h"

#include <QDataStream>
#include <QGuiApplication>
#include <QScreen>
#include <QIODevice>

PlaceEdges edgesOf(const QRect& r)
{
    return {r.left(), r.top(), r.right(), r.bottom()};
}

QByteArray storedPlace(const PlaceEdges& frame, const PlaceEdges& normal, const PlaceEdges& inside)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_0);
    out << quint32(0x1D9D0CB) << quint16(3) << quint16(0);
    for (qint32 edge : frame)
        out << edge;
    for (qint32 edge : normal)
        out << edge;
    // Screen number, maximised, full screen, the width of the screen there is
    // (another width would make Qt move the window on its own).
    const QScreen* screen = QGuiApplication::primaryScreen();
    out << qint32(0) << quint8(0) << quint8(0) << qint32(screen ? screen->geometry().width() : 1920);
    for (qint32 edge : inside)
        out << edge;
    return bytes;
}

QByteArray storedPlace(const QRect& inside)
{
    return storedPlace(edgesOf(inside.adjusted(-2, -24, 2, 2)), edgesOf(inside), edgesOf(inside));
}
