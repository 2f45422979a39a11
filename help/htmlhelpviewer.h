#pragma once
// What the HTML help viewer understands: its commands, the text-popup record
// and the viewer interface that the entry point talks to.
#include <QColor>
#include <QMargins>
#include <QMetaType>
#include <QPoint>
#include <QString>
#include <QVariant>

class QWidget;

namespace HHCmd {
enum : int {
    DisplayToc = 1,        // data unused
    DisplayIndex = 2,      // data: keyword text, or nothing
    DisplayTextPopup = 14, // data: TextPopup
    HelpContext = 15,      // data: context number
    CloseAll = 18,         // file and data unused
};
}

// The text-popup record: by context number from the popup text file named
// after "::/" in the file argument, or by its own text when stringId is 0.
struct TextPopup {
    qint32 structSize = 52;
    quintptr instance = 0;
    quint32 stringId = 0;
    QString text;
    QPoint point;                     // screen position
    QColor foreground;                // invalid: the viewer's default
    QColor background;
    QMargins margins{-1, -1, -1, -1}; // -1: the viewer's default
    QString font = QStringLiteral("MS Sans Serif, 8");
};
Q_DECLARE_METATYPE(TextPopup)

// What the entry point talks to. Returns non-zero on success (the viewer's
// window, or 1 for a popup), 0 when the file or the topic cannot be found.
class HtmlHelpViewer {
public:
    virtual ~HtmlHelpViewer() = default;
    virtual quintptr HtmlHelp(QWidget* owner, const QString& file, int command, const QVariant& data) = 0;
};
