#pragma once
// Stands in for the help viewers: while a RecordingHelp lives, every call of
// the HTML help entry point and of the WinHelp layer is recorded instead of
// shown. The viewer can be made to go missing, to test the paths without one.
#include "help/htmlhelpapi.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QWidget>

struct HelpViewerCall {
    QPointer<QWidget> owner;
    QString file;
    int command = 0;
    QVariant data;

    TextPopup popup() const { return data.value<TextPopup>(); }
};

class RecordingHelp {
public:
    RecordingHelp();
    ~RecordingHelp();
    RecordingHelp(const RecordingHelp&) = delete;
    RecordingHelp& operator=(const RecordingHelp&) = delete;

    QList<HelpViewerCall> viewerCalls;
    QList<HelpViewerCall> winHelpCalls;
    // What the viewer answers; 0 means "file or topic not found".
    quintptr viewerAnswer = 1;
    // While set, loading the viewer fails.
    bool viewerMissing = false;
    // How often the viewer was asked to load.
    int loads = 0;

    void clear();
    // The text popups (command 14) recorded so far.
    QList<HelpViewerCall> popups() const;
};
