#pragma once
// A window place in the form QWidget::saveGeometry writes (version 3), made
// from any edges, sane or not.
#include <QByteArray>
#include <QRect>
#include <QtGlobal>
#include <array>

// Edges as stored: left, top, right, bottom.
using PlaceEdges = std::array<qint32, 4>;

PlaceEdges edgesOf(const QRect& r);
QByteArray storedPlace(const PlaceEdges& frame, const PlaceEdges& normal, const PlaceEdges& inside);
// A window at inside with a frame of a title bar and thin borders around it.
QByteArray storedPlace(const QRect& inside);
