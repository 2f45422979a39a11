#include "app/tvantorel.h"

#include "ui_optionspages.h"
#include "ui_tvantorel.h"
#include "ui_wizardpages.h"

#include "wizard/wizardpages.h"

#include "app/accessiblenames.h"
#include "app/contexthelp.h"
#include "app/listfileguard.h"
#include "app/listrepaircommand.h"
#include "app/optionspages.h"
#include "app/projectlistdelegate.h"
#include "app/projectlistmodel.h"
#include "app/recentlistsmenu.h"
#include "app/searchcommands.h"
#include "app/windowhost.h"
#include "app/windowwiring.h"
#include "common/apptitle.h"
#include "common/dialogs.h"
#include "common/displaytext.h"
#include "document/projectlistdocument.h"
#include "help/helpfilelocation.h"
#include "help/tcorvaneaboutbox.h"
#include "listfile/listfileerror.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QHeaderView>
#include <QTimer>
#include <functional>

TVantorel::TVantorel(QWidget* parent, Dialogs* dialogs)
    : QMainWindow(parent), ui_(std::make_unique<Ui::TVantorel>())
{
    WindowParts& p = parts_;
    p.form = ui_.get();
    p.fontDialogFont = QFont(QStringLiteral("MS Sans Serif"), 8);
    ui_->setupUi(this);
    host_ = std::make_unique<WindowHost>(*this, parts_, dialogs);
    p.host = host_.get();
    // Where the window's designed font is not installed, the desktop's own
    // font reads better than whatever stands in for it at 8 points.
    if (!QFontDatabase::hasFamily(font().family()))
        setFont(QFont());
    p.document = new ProjectListDocument(this);
    // The view shows the list as a whole whenever it became another one.
    connect(p.document, &ProjectListDocument::linesReplaced, this, [this] { host_->refillView(); });
    // The panels over the list, hidden until asked for.
    p.optionsPanel = new OptionsPages(ui_->centralwidget);
    p.optionsPanel->setVisible(false);
    p.wizardPanel = new WizardPages(ui_->centralwidget);
    p.wizardPanel->setVisible(false);

    p.listModel = new ProjectListModel(this);
    ui_->Projects->setModel(p.listModel);
    ui_->Projects->setItemDelegate(new ProjectListDelegate(ui_->Projects));
    ui_->Projects->setColumnWidth(0, 50);
    ui_->Projects->setColumnWidth(1, 405);
    ui_->Projects->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    // A report view of one line per item: every row the same height, so the
    // view keeps no per-row data even for a million rows.
    QHeaderView* rows = ui_->Projects->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    fitRowsToFont(*ui_->Projects);
    ui_->Projects->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ui_->centralwidget->installEventFilter(this);
    ui_->Projects->installEventFilter(this);

    p.startDelay = new QTimer(this);
    p.startDelay->setObjectName(QStringLiteral("StartDelay"));
    p.startDelay->setInterval(1000);
    p.startDelay->setSingleShot(true);
    connect(p.startDelay, &QTimer::timeout, this, &TVantorel::StartDelayTimer);

    buildToolbar(*ui_->ToolBar1);
    followPalette(*this, p);
    buildStatusBar(p, *this);
    wireCommands(*this, p);
    wireSearch(*this, p);
    wirePrinting(*this, p);
    wireWizard(*this, p);
    contextHelp_ = std::make_unique<ContextHelp>(*this, *host_);
    p.contextHelp = contextHelp_.get();
    wireHelp(*this, p);
    wireAbout(*this, p);
    wireListFileGuards(*this, p);
    wireRepair(*this, p);
    wireUndo(*this, p);
    // Typing in a box of the window is undone there first, as in any editor.
    qApp->installEventFilter(this);
    wireKeyboard(*this, p);
    wireRecentLists(*this, p);
    wireCopy(*this, p);
    nameControlsForAssistiveTools(this);

    resize(740, 505);
}

TVantorel::~TVantorel()
{
    // The parts go before the widgets they watch: events sent while they are
    // taken down must not reach a window that is half gone.
    qApp->removeEventFilter(this);
    for (QObject* child : findChildren<QObject*>())
        child->removeEventFilter(this);
}

void wireCommands(TVantorel& window, WindowParts& parts)
{
    Ui::TVantorel* ui = parts.form;
    QObject::connect(ui->Load1, &QAction::triggered, &window, &TVantorel::Load1Click);
    QObject::connect(ui->Exit1, &QAction::triggered, &window, &TVantorel::Exit1Click);
    QObject::connect(ui->ExitBtn, &QAction::triggered, &window, &TVantorel::Exit1Click);
    QObject::connect(ui->Font1, &QAction::triggered, &window, &TVantorel::Font1Click);
    QObject::connect(ui->Colour1, &QAction::triggered, &window, &TVantorel::Colour1Click);
    QObject::connect(ui->General1, &QAction::triggered, &window, &TVantorel::General1Click);
    QObject::connect(parts.optionsPanel->form().CloseTabs, &QPushButton::clicked, &window, &TVantorel::CloseTabsClick);
    QObject::connect(parts.optionsPanel->form().Button6, &QPushButton::clicked, &window, &TVantorel::CloseTabsClick);
}

bool TVantorel::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    const bool handled = QMainWindow::event(event);
    // Once the window's own palette is resolved anew.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        followPalette(*this, parts_);
    return handled;
}

void TVantorel::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!parts_.centred) {
        parts_.centred = true;
        if (!restoreWindowPlace(*this))
            centreOnScreen(*this, screen());
    }
    // Not every platform activates a window that is shown (offscreen, some
    // window managers); the first activation's work must still happen.
    if (!parts_.firstActivationDone)
        QMetaObject::invokeMethod(this, &TVantorel::FormActivate, Qt::QueuedConnection);
}

bool TVantorel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui_->centralwidget && event->type() == QEvent::Resize) {
        layOutListArea(parts_);
        placePanels(parts_);
    } else if (watched == ui_->centralwidget && event->type() == QEvent::LayoutRequest) {
        // A panel's or the notice bar's contents asked for more room (a
        // longer message, a larger font).
        layOutListArea(parts_);
        placePanels(parts_);
    }
    if (handleKeyboardEvent(parts_, watched, event) || undoKeyGoesToList(*this, watched, event))
        return true;
    if (watched == ui_->Projects && event->type() == QEvent::FontChange) {
        fitRowsToFont(*ui_->Projects);
        widenNumberColumnFor(*ui_->Projects, parts_.document->lines());
    }
    if ((watched == ui_->StatusBar || watched == parts_.statusPanel(1)) && event->type() == QEvent::FontChange)
        fitStatusBarToFont(parts_);
    return QMainWindow::eventFilter(watched, event);
}

void TVantorel::FormActivate()
{
    WindowParts& p = parts_;
    if (p.firstActivationDone)
        return;
    p.firstActivationDone = true;
    p.startupInProgress = true;
    p.listFileGuard->start();
    host_->runCommand([this, &p] {
        const QString executable = QCoreApplication::applicationFilePath();
        p.aboutBox->setFilename(executable);
        p.contextHelp->pointAt(locateHelpFile(executable, QStringLiteral("Quindle.qch")));
        const QString version = p.aboutBox->GetFileVersion();
        setWindowTitle(tr("%1 Version %2  by Corvane").arg(applicationTitle(), version));
        p.startupInProgress = false;

        p.document->clear();
        loadSettings(p);
        if (p.optionsPanel->form().MaximiseApp->isChecked())
            setWindowState(windowState() | Qt::WindowMaximized);
        // With "Auto Fix" on, the repair's read is the load, unless the
        // repaired lines were not saved: then the file is shown as it is.
        bool read = false;
        if (p.optionsPanel->form().Autofix->isChecked()) {
            try {
                read = p.repair->run();
            } catch (const UneditableListFile&) {
                // The load below says what the file is.
            }
        }
        const std::string& path = p.document->currentListFile();
        p.statusPanel(0)->setText(pathText(path));
        if (read) {
            host_->refillView();
            p.recentLists->remember(path);
        } else {
            host_->openList(path);
        }
        p.listFileGuard->offerRecovery();
        if (p.optionsPanel->form().JumptoLast->isChecked())
            p.startDelay->start();
    });
}

void TVantorel::Font1Click()
{
    const std::optional<QFont> font = host_->dialogs().chooseFont(parts_.fontDialogFont);
    if (!font)
        return;
    parts_.fontDialogFont = *font;
    ui_->Projects->setFont(*font);
    fitRowsToFont(*ui_->Projects);
}

void TVantorel::Colour1Click()
{
    const std::optional<QColor> colour = host_->dialogs().chooseColour(ui_->Projects->palette().color(QPalette::Text));
    if (!colour)
        return;
    parts_.listTextColour = *colour;
    followPalette(*this, parts_);
}

void TVantorel::General1Click()
{
    placePanels(parts_);
    parts_.optionsPanel->setVisible(true);
    parts_.optionsPanel->raise();
}

void TVantorel::CloseTabsClick()
{
    parts_.optionsPanel->setVisible(false);
}

void TVantorel::StartDelayTimer()
{
    parts_.startDelay->stop();
    parts_.search->jumpToEnd();
}

void TVantorel::Exit1Click()
{
    close();
}

void TVantorel::closeEvent(QCloseEvent* event)
{
    WindowParts& p = parts_;
    if (p.repair->deferClose(event))
        return;
    if (!p.closed && !p.startupInProgress && !host_->settleUnsavedChanges()) {
        event->ignore();
        return;
    }
    if (!p.closed) {
        p.closed = true;
        p.listFileGuard->stop();
        // A window closed before its first activation was through has
        // nothing of its own to store.
        if (!p.startupInProgress) {
            p.document->clear();
            host_->runCommand([this] { saveSettings(*this, parts_); });
        }
    }
    QMainWindow::closeEvent(event);
}
