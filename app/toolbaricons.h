#pragma once
// The pictures of the toolbar buttons, taken from the desktop's icon theme
// when it has all of them and otherwise drawn by the program itself, at the
// size and device pixel ratio they are shown at. Drawn pictures take the
// palette they stand on: strokes drawn straight on a dark toolbar are lighter.
#include <QIcon>
#include <QPalette>
#include <QPixmap>

enum class ToolPicture { Exit = 0, Edit = 1, Delete = 2, Add = 3, Fix = 4, Insert = 5, Swap = 6, Print = 7 };

QIcon toolbarIcon(ToolPicture picture, const QPalette& palette = QPalette());
bool themeHasEveryToolPicture();
QIcon drawnToolbarIcon(ToolPicture picture, const QPalette& palette = QPalette());
QPixmap drawnToolPicture(ToolPicture picture, int size = 32, const QPalette& palette = QPalette());
// Larger illustrations for the option and wizard pages.
QPixmap pagePicture(ToolPicture picture, int size, const QPalette& palette = QPalette());
