#pragma once
// The HTML help viewer on Qt Help: a help engine on a collection kept in the
// user's cache folder, into which the help file beside the executable is
// registered; an in-process viewer window; text popups shown as "What's
// this?" texts.
#include "help/helpviewerwindow.h"
#include "help/htmlhelpviewer.h"

#include <QHash>
#include <QHelpEngine>
#include <QPointer>


class QtHelpViewer : public HtmlHelpViewer {
public:
    // Nothing when Qt Help cannot work here (no SQLite driver).
    static std::unique_ptr<HtmlHelpViewer> load();
    // Where the collection lives.
    static QString collectionFile();

    QtHelpViewer();
    ~QtHelpViewer() override;

    quintptr HtmlHelp(QWidget* owner, const QString& file, int command, const QVariant& data) override;

    HelpViewerWindow* window() const { return window_; }
    QHelpEngine* engine() const { return engine_; }
    // The namespace of a registered help file; empty when it cannot be used.
    QString openHelpFile(const QString& qchFile);
    // The popup texts of a help file, by context number.
    QHash<quint32, QString> popupTexts(const QString& qchFile, const QString& innerFile);

private:
    bool ensureEngine();
    HelpViewerWindow* ensureWindow();
    quintptr windowResult() const;
    quintptr showPopup(QWidget* owner, const QString& file, const TextPopup& popup);
    quintptr showContext(const QString& file, qint32 context);
    quintptr closeAll();

    QPointer<QHelpEngine> engine_;
    QPointer<HelpViewerWindow> window_;
};
