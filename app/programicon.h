#pragma once
// The program's own icon (title bars, the about box, the desktop's icon
// theme): a numbered list on a blue tile. packaging/quindle.svg is the same
// picture for the icon theme; keep the two alike.
#include <QIcon>
#include <QImage>

QIcon programIcon();
// The picture at one size; needs no application object, so the build can
// draw the icon theme's files with it.
QImage programIconImage(int size);
