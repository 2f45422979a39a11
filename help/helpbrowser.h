#pragma once
// The topic pane of the help viewer: a text browser that reads pages and
// images out of the help file, and nothing from anywhere else.
#include <QTextBrowser>

class QHelpEngineCore;

class HelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    HelpBrowser(QHelpEngineCore* engine, QWidget* parent = nullptr);
    QVariant loadResource(int type, const QUrl& name) override;

    // A qthelp:// address of a registered help file.
    bool isInsideHelpFile(const QUrl& url) const;

protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;

private:
    void followLink(const QUrl& link);
    QString pageText(const QUrl& page, const QByteArray& data) const;
    QHelpEngineCore* engine_;
};
