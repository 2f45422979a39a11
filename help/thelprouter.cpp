#include "help/thelprouter.h"

#include "help/htmlhelpapi.h"
#include "common/quindleerror.h"
#include "help/winhelpapi.h"

#include <QApplication>
#include <QCursor>
#include <QWidget>

namespace {
THelpRouter* currentRouter = nullptr;

// The viewer's own help file extension.
const QString viewerExtension = QStringLiteral(".qch");
const QString winHelpExtension = QStringLiteral(".hlp");
} // namespace

QString changeFileExt(const QString& path, const QString& ext)
{
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    const int separator = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    if (dot > separator)
        return path.left(dot) + ext;
    return path + ext;
}

THelpRouter::THelpRouter(QObject* owner) : QObject(owner)
{
    if (currentRouter)
        throw QuindleError(tr("Multiple instances of THelpRouter are not allowed"));
    previousHandler_ = ApplicationHelp::handler();
    ApplicationHelp::setHandler([this](quint16 command, const QVariant& data, bool& callHelp) {
        return HandleHelp(command, data, callHelp);
    });
    currentRouter = this;
    showType_ = stDefault;
    popupTopics_ = QStringLiteral("CSHelp.txt");
}

THelpRouter::~THelpRouter()
{
    // Close the viewer's windows while this router still answers.
    if (QCoreApplication::instance() && ApplicationHelp::helpFile().isEmpty())
        HelpCommand(HelpCmd::Quit, 0);
    ApplicationHelp::setHandler(previousHandler_);
    currentRouter = nullptr;
    // The main window owns the router and goes before the application
    // object: the last moment the viewer's windows can still be released.
    if (HtmlHelpDefaultLoader())
        FreeHtmlHelp();
}

THelpRouter* THelpRouter::current()
{
    return currentRouter;
}

void THelpRouter::setHelpType(THelpType type)
{
    helpType_ = type;
    if (type == htHTMLhelp || type == htMixedMode)
        ViewerAvailable();
}

bool THelpRouter::ViewerAvailable()
{
    if (!HtmlHelpLoaded())
        LoadHtmlHelp();
    return HtmlHelpLoaded();
}

QWidget* THelpRouter::ResolveHelpTarget(QString& path) const
{
    path = ApplicationHelp::helpFile();
    QWidget* owner = nullptr;  // the application's own window
    QWidget* form = QApplication::activeWindow();
    if (!form)
        form = qobject_cast<QWidget*>(parent());
    if (form) {
        const QString formFile = ApplicationHelp::windowHelpFile(form);
        if (!formFile.isEmpty()) {
            owner = form;
            path = formFile;
        }
    }
    if (!helpfile_.isEmpty()) {
        path = helpfile_;
        owner = nullptr;
    }
    return owner;
}

bool THelpRouter::HandleHelp(quint16 command, const QVariant& data, bool& callHelp)
{
    bool result = false;
    if (OnHelp) {
        result = OnHelp(command, data, callHelp);
        if (!callHelp)
            return result;
    }
    if (previousHandler_) {
        result = previousHandler_(command, data, callHelp);
        if (!callHelp)
            return result;
    }
    if (showType_ == stMain) {
        if (command == HelpCmd::ContextPopup)
            command = HelpCmd::Context;
        else if (command == HelpCmd::SetPopupPos)
            command = 0;
    }
    QString path;
    QWidget* owner = ResolveHelpTarget(path);

    const bool popupCommand = command == HelpCmd::ContextPopup || command == HelpCmd::SetPopupPos;
    if (helpType_ == htHTMLhelp || (helpType_ == htMixedMode && !popupCommand)) {
        if (!ViewerAvailable())
            return result;
        path = changeFileExt(path, viewerExtension);
        quintptr viewerResult = 0;
        switch (command) {
        case HelpCmd::Context:
            viewerResult = HtmlHelpApi(owner, path, HHCmd::HelpContext, data.toInt());
            break;
        case HelpCmd::Quit:
            viewerResult = HtmlHelpApi(owner, QString(), HHCmd::CloseAll, 0);
            break;
        case HelpCmd::Contents:
        case HelpCmd::Finder:
            viewerResult = HtmlHelpApi(owner, path, HHCmd::DisplayToc, 0);
            break;
        case HelpCmd::ContextPopup: {
            QPoint at = pendingPopup_;
            if (at.isNull())
                at = QCursor::pos();
            ShowTextPopup(at.x(), at.y(), data.toInt(), QString());
            pendingPopup_ = QPoint();
            callHelp = false;
            return true;
        }
        case HelpCmd::SetPopupPos: {
            int x = 0;
            int y = 0;
            unpackHelpPoint(data.toInt(), x, y);
            pendingPopup_ = QPoint(x, y);
            break;
        }
        case HelpCmd::TocRequest:
            viewerResult = data.toInt() == 0 ? HtmlHelpApi(owner, path, HHCmd::DisplayToc, 0)
                                             : HtmlHelpApi(owner, path, HHCmd::DisplayIndex, QVariant());
            break;
        case HelpCmd::Key:
        case HelpCmd::PartialKey:
            viewerResult = HtmlHelpApi(owner, path, HHCmd::DisplayIndex, data.toString());
            break;
        default:
            break;
        }
        callHelp = false;
        return viewerResult != 0;
    }

    if (command == 0) {
        result = true;
    } else {
        path = changeFileExt(path, winHelpExtension);
        result = WinHelpApi(owner, path, command, data);
    }
    callHelp = false;
    return result;
}

bool THelpRouter::ShowTextPopup(qint32 x, qint32 y, qint32 context, const QString& text)
{
    if (!ViewerAvailable())
        return false;
    TextPopup popup;
    popup.stringId = text.isEmpty() ? quint32(context) : 0;
    popup.text = text;
    popup.point = QPoint(x, y);
    quintptr shown = 0;
    if (popup.stringId != 0) {
        if (popupTopics_.isEmpty())
            popupTopics_ = QStringLiteral("CSHelp.txt");
        QString path;
        QWidget* owner = ResolveHelpTarget(path);
        const QString file = changeFileExt(path, viewerExtension) + QStringLiteral("::/") + popupTopics_;
        shown = HtmlHelpApi(owner, file, HHCmd::DisplayTextPopup, QVariant::fromValue(popup));
    } else {
        shown = HtmlHelpApi(QApplication::activeWindow(), QString(), HHCmd::DisplayTextPopup,
                            QVariant::fromValue(popup));
    }
    return shown != 0;
}
