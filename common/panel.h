#pragma once
// What the wizard pages and the options pages have in common as panels over
// the list view: an opaque background from the palette (light or dark), so
// nothing of the list shows through.
#include <QWidget>

void makeOpaquePanel(QWidget& panel);
