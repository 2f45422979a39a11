// Context help: the help router, the "What's this?" gestures with their
// context map, the Help menu and the wizard's Help buttons.
#include "app/tvantorel.h"

#include "ui_tvantorel.h"
#include "ui_wizardpages.h"

#include "wizard/wizardpages.h"

#include "help/helpcommands.h"
#include "help/helpfilelocation.h"
#include "help/thelpcontextmap.h"
#include "help/thelprouter.h"
#include "help/twhatsthis.h"

#include <QCoreApplication>

void TVantorel::wireHelp()
{
    connect(ui_->mainHelp, &QAction::triggered, this, &TVantorel::mainHelpClick);
    for (QPushButton* help : {wizardPanel_->form().HelpBtn, wizardPanel_->form().Button2, wizardPanel_->form().Help4})
        connect(help, &QPushButton::clicked, this, &TVantorel::mainHelpClick);
    connect(wizardPanel_->form().Help3, &QPushButton::clicked, this, &TVantorel::HelpBtnClick);
    // A second main window in the same process reports the error and goes
    // on without a router of its own.
    runCommand([this] { wireContextHelp(); });
}

void TVantorel::wireContextHelp()
{
    helpRouter_ = std::make_unique<THelpRouter>(this);
    helpRouter_->setObjectName(QStringLiteral("HelpRouter"));
    helpRouter_->setHelpType(THelpRouter::htHTMLhelp);
    helpRouter_->setShowType(THelpRouter::stDefault);
    helpRouter_->setCHMPopupTopics(QStringLiteral("CSHelp.txt"));

    // The map names a help project but holds no entries: every number comes
    // from the controls' own HelpContext.
    helpContextMap_ = std::make_unique<THelpContextMap>(this);
    helpContextMap_->setObjectName(QStringLiteral("HelpContextMap1"));
    helpContextMap_->setLoading(true);
    helpContextMap_->setFileName(QStringLiteral("Quindle.hhp"));
    helpContextMap_->setLoading(false);

    whatsThis_ = std::make_unique<TWhatsThis>(this);
    whatsThis_->setObjectName(QStringLiteral("WhatsThis1"));
    whatsThis_->setHelpContextMap(helpContextMap_.get());
    // F1 and the other gestures say so too when the help file cannot be
    // used. They ask from inside event handling; the message waits for it
    // to end.
    whatsThis_->OnHelp = [this](TWhatsThis*, QObject*, bool, qint32, int, int, bool& callHelp) {
        const QString problem = helpFileProblemNow();
        if (problem.isEmpty())
            return;
        callHelp = false;
        QMetaObject::invokeMethod(this, [this, problem] { dialogs_->showMessage(problem); }, Qt::QueuedConnection);
    };
    whatsThis_->Loaded();
}

void TVantorel::pointHelpAt(const QString& helpFile)
{
    helpFile_ = helpFile;
    if (helpRouter_)
        helpRouter_->setHelpfile(helpFile);
}

// What stops help from opening: a help file that is missing or that the
// viewer cannot read; empty when help can open.
QString TVantorel::helpFileProblemNow() const
{
    const QString file = helpRouter_ ? helpRouter_->Helpfile() : helpFile_;
    if (file.isEmpty())
        return QString();
    return helpFileProblem(file, QCoreApplication::applicationFilePath(), QStringLiteral("Quindle.qch"));
}

// Opening help without a usable help file would otherwise do nothing at all.
bool TVantorel::helpFileFound()
{
    const QString problem = helpFileProblemNow();
    if (problem.isEmpty())
        return true;
    dialogs_->showMessage(problem);
    return false;
}

void TVantorel::mainHelpClick()
{
    if (!helpFileFound())
        return;
    QObject* origin = sender();
    if (origin == ui_->mainHelp)
        HelpCommand(HelpCmd::Finder, 0);
    if (auto* button = qobject_cast<QPushButton*>(origin))
        HelpContext(button->property("HelpContext").toInt());
}

// The Help button of wizard page 3 opens the wizard's topic like the others.
void TVantorel::HelpBtnClick()
{
    if (!helpFileFound())
        return;
    HelpContext(wizardPanel_->form().Help3->property("HelpContext").toInt());
}
