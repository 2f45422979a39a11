#include "app/contexthelp.h"

#include "common/commandhost.h"
#include "common/dialogs.h"
#include "help/helpfilelocation.h"
#include "help/thelpcontextmap.h"
#include "help/thelprouter.h"
#include "help/twhatsthis.h"

#include <QCoreApplication>
#include <QWidget>

ContextHelp::ContextHelp(QWidget& window, CommandHost& host) : window_(window), host_(host) {}

ContextHelp::~ContextHelp() = default;

void ContextHelp::start()
{
    router_ = std::make_unique<THelpRouter>(&window_);
    router_->setObjectName(QStringLiteral("HelpRouter"));
    router_->setHelpType(THelpRouter::htHTMLhelp);
    router_->setShowType(THelpRouter::stDefault);
    router_->setCHMPopupTopics(QStringLiteral("CSHelp.txt"));

    // The map names a help project but holds no entries: every number comes
    // from the controls' own HelpContext.
    contextMap_ = std::make_unique<THelpContextMap>(&window_);
    contextMap_->setObjectName(QStringLiteral("HelpContextMap1"));
    contextMap_->setLoading(true);
    contextMap_->setFileName(QStringLiteral("Quindle.hhp"));
    contextMap_->setLoading(false);

    whatsThis_ = std::make_unique<TWhatsThis>(&window_);
    whatsThis_->setObjectName(QStringLiteral("WhatsThis1"));
    whatsThis_->setHelpContextMap(contextMap_.get());
    // F1 and the other gestures say so too when the help file cannot be
    // used. They ask from inside event handling; the message waits for it
    // to end.
    whatsThis_->OnHelp = [this](TWhatsThis*, QObject*, bool, qint32, int, int, bool& callHelp) {
        const QString problem = problemNow();
        if (problem.isEmpty())
            return;
        callHelp = false;
        QMetaObject::invokeMethod(&window_, [this, problem] { host_.dialogs().showMessage(problem); },
                                  Qt::QueuedConnection);
    };
    whatsThis_->Loaded();
}

void ContextHelp::pointAt(const QString& helpFile)
{
    helpFile_ = helpFile;
    if (router_)
        router_->setHelpfile(helpFile);
}

QString ContextHelp::problemNow() const
{
    const QString file = router_ ? router_->Helpfile() : helpFile_;
    if (file.isEmpty())
        return QString();
    return helpFileProblem(file, QCoreApplication::applicationFilePath(), QStringLiteral("Quindle.qch"));
}

bool ContextHelp::helpFileFound()
{
    const QString problem = problemNow();
    if (problem.isEmpty())
        return true;
    host_.dialogs().showMessage(problem);
    return false;
}
