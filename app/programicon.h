#pragma once
// The program's own icon (title bars, the about box): a numbered list on a
// blue tile, drawn at 16, 32 and 48 pixels.
#include <QIcon>

QIcon programIcon();
