#include "help/helpcommands.h"

#include "help/winhelpapi.h"

#include <QApplication>
#include <QWidget>

namespace {
HelpHandler& applicationHandler()
{
    static HelpHandler handler;
    return handler;
}
QString& applicationHelpFile()
{
    static QString file;
    return file;
}
} // namespace

HelpHandler ApplicationHelp::handler()
{
    return applicationHandler();
}

void ApplicationHelp::setHandler(HelpHandler handler)
{
    applicationHandler() = std::move(handler);
}

QString ApplicationHelp::helpFile()
{
    return applicationHelpFile();
}

void ApplicationHelp::setHelpFile(const QString& file)
{
    applicationHelpFile() = file;
}

QString ApplicationHelp::windowHelpFile(const QWidget* window)
{
    return window ? window->property("HelpFile").toString() : QString();
}

bool HelpCommand(quint16 command, const QVariant& data)
{
    bool callHelp = true;
    bool result = false;
    QWidget* form = QApplication::activeWindow();
    if (auto* own = dynamic_cast<FormHelpHandler*>(form))
        result = own->formHelp(command, data, callHelp);
    else if (const HelpHandler handler = applicationHandler())
        result = handler(command, data, callHelp);
    if (callHelp) {
        QString file = ApplicationHelp::windowHelpFile(form);
        QWidget* owner = form;
        if (file.isEmpty()) {
            file = applicationHelpFile();
            owner = nullptr;
        }
        if (!file.isEmpty())
            result = WinHelpApi(owner, file, command, data);
    }
    return result;
}

bool HelpContext(qint32 context)
{
    return HelpCommand(HelpCmd::Context, context);
}

qint32 packHelpPoint(int x, int y)
{
    return qint32((quint32(quint16(y)) << 16) | quint16(x));
}

void unpackHelpPoint(qint32 data, int& x, int& y)
{
    x = qint16(quint32(data) & 0xFFFF);
    y = qint16(quint32(data) >> 16);
}
