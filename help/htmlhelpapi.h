#pragma once
// The HTML help viewer's single entry point, HtmlHelpApi(owner, file,
// command, data), and the on-demand load of the viewer behind it. The viewer
// is the Qt Help viewer (QtHelpViewer) unless a test installs another loader.
#include <QColor>
#include <QMargins>
#include <QMetaType>
#include <QPoint>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

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

// Makes the viewer; returns nothing when no viewer can be had.
using HtmlHelpLoader = std::function<std::unique_ptr<HtmlHelpViewer>()>;

// Replaces the loader (empty: the Qt Help viewer) and drops a loaded viewer.
void setHtmlHelpLoader(HtmlHelpLoader loader);
// Loads the viewer, only while none is held; failures are swallowed and
// leave none held, so the next request tries again.
void LoadHtmlHelp();
bool HtmlHelpLoaded();
// Releases the viewer and its windows.
void FreeHtmlHelp();
// True when the real viewer is used rather than one a test put in its place.
bool HtmlHelpDefaultLoader();
// The held viewer, or null.
HtmlHelpViewer* loadedHtmlHelpViewer();

// 0 when no viewer is loaded.
quintptr HtmlHelpApi(QWidget* owner, const QString& file, int command, const QVariant& data);
