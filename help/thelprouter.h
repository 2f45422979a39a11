#pragma once
// The help router: one per process. It takes over the application-wide help
// handler and turns every help command into a call of the HTML help viewer
// (or, where so set, of the WinHelp layer).
#include "help/helpcommands.h"

#include <QObject>
#include <QPoint>
#include <QString>

class QWidget;

class THelpRouter : public QObject {
    Q_OBJECT
public:
    enum THelpType { htWinhelp, htHTMLhelp, htMixedMode };
    Q_ENUM(THelpType)
    enum TShowType { stDefault, stMain, stPopup };
    Q_ENUM(TShowType)

    // owner: the form the router belongs to, used when no window is active.
    // Throws QuindleError when a router already exists.
    explicit THelpRouter(QObject* owner = nullptr);
    ~THelpRouter() override;

    static THelpRouter* current();

    THelpType HelpType() const { return helpType_; }
    // Choosing the HTML viewer loads it at once.
    void setHelpType(THelpType type);
    TShowType ShowType() const { return showType_; }
    void setShowType(TShowType type) { showType_ = type; }
    QString Helpfile() const { return helpfile_; }
    void setHelpfile(const QString& file) { helpfile_ = file; }
    QString CHMPopupTopics() const { return popupTopics_; }
    void setCHMPopupTopics(const QString& name) { popupTopics_ = name; }
    // Kept with the form's settings; changes nothing.
    bool ValidateID() const { return validateId_; }
    void setValidateID(bool value) { validateId_ = value; }
    // The router's own help event, asked before anything else.
    HelpHandler OnHelp;

    bool HandleHelp(quint16 command, const QVariant& data, bool& callHelp);
    // The help file and owner window of a request.
    QWidget* ResolveHelpTarget(QString& path) const;
    bool ShowTextPopup(qint32 x, qint32 y, qint32 context, const QString& text);
    bool ViewerAvailable();

    // Set by help command 13, used and cleared by the next command 8.
    QPoint pendingPopupPosition() const { return pendingPopup_; }

private:
    THelpType helpType_ = htWinhelp;
    TShowType showType_ = stDefault;
    QString helpfile_;
    QString popupTopics_;
    bool validateId_ = false;
    HelpHandler previousHandler_;
    QPoint pendingPopup_;
};

// path with its extension replaced by ext (".qch", ".hlp"), or ext appended
// when the file name has none.
QString changeFileExt(const QString& path, const QString& ext);
