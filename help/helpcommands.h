#pragma once
// The application's help commands. A request goes first to the active
// window's own help handler, if that window has one, else to the
// application-wide handler, which the help router takes over. A handler may
// clear the call-help flag; while it stays set and a help file is known (the
// active window's or the application's), the request goes on to the WinHelp
// layer.
#include <QString>
#include <QVariant>
#include <functional>

class QWidget;

// The help command numbers in use.
namespace HelpCmd {
enum : quint16 {
    Context = 1,         // data: context number, shown as a full topic
    Quit = 2,            // close every help window
    Contents = 3,
    ContextPopup = 8,    // data: context number, shown as a text popup
    Finder = 11,         // the table of contents
    SetPopupPos = 13,    // data: X in the low 16 bits, Y in the high 16 bits
    TocRequest = 15,     // data 0: contents, otherwise the index
    Key = 257,           // data: keyword text
    PartialKey = 261,    // data: keyword text
};
}

// (command, data, call-help in and out) -> handled.
using HelpHandler = std::function<bool(quint16 command, const QVariant& data, bool& callHelp)>;

// A window with help handling of its own; it is asked before the
// application-wide handler while it is the active window.
class FormHelpHandler {
public:
    virtual ~FormHelpHandler() = default;
    virtual bool formHelp(quint16 command, const QVariant& data, bool& callHelp) = 0;
};

namespace ApplicationHelp {
HelpHandler handler();
void setHandler(HelpHandler handler);
// The application's own help file; none in this program.
QString helpFile();
void setHelpFile(const QString& file);
// A window's own help file: its "HelpFile" property, empty when unset.
QString windowHelpFile(const QWidget* window);
}

bool HelpCommand(quint16 command, const QVariant& data);
// Help on a context number as a full topic: HelpCommand(1, context).
bool HelpContext(qint32 context);
// Packs a screen point for HelpCmd::SetPopupPos and back.
qint32 packHelpPoint(int x, int y);
void unpackHelpPoint(qint32 data, int& x, int& y);
