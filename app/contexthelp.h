#pragma once
// The window's context help: the help router pointed at the help file, the
// "What's this?" gestures with their context map, and the message that
// tells why help cannot open (a missing or unreadable help file) instead of
// doing nothing at all.
#include <QString>
#include <memory>

class CommandHost;
class QWidget;
class THelpContextMap;
class THelpRouter;
class TWhatsThis;

class ContextHelp {
public:
    // window: the help's owner, where its gestures are watched.
    ContextHelp(QWidget& window, CommandHost& host);
    ~ContextHelp();

    // Makes the router and the gestures. A second main window in the same
    // process has no router of its own: this then throws.
    void start();
    // The help file the router is pointed at.
    void pointAt(const QString& helpFile);
    // True when help can open; else tells the user why not.
    bool helpFileFound();

    THelpRouter* router() const { return router_.get(); }
    TWhatsThis* whatsThis() const { return whatsThis_.get(); }
    THelpContextMap* contextMap() const { return contextMap_.get(); }

private:
    // What stops help from opening now; empty when help can open.
    QString problemNow() const;

    QWidget& window_;
    CommandHost& host_;
    QString helpFile_;
    // Destroyed in reverse order: the gestures stop before the router goes.
    std::unique_ptr<THelpRouter> router_;
    std::unique_ptr<THelpContextMap> contextMap_;
    std::unique_ptr<TWhatsThis> whatsThis_;
};
