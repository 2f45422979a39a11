#include "common/panel.h"

void makeOpaquePanel(QWidget& panel)
{
    panel.setAutoFillBackground(true);
    panel.setBackgroundRole(QPalette::Window);
    panel.setAttribute(Qt::WA_OpaquePaintEvent, false);
}
