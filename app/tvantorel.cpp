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
#include "app/qtdialogs.h"
#include "app/recentlistsmenu.h"
#include "app/searchcommands.h"
#include "common/apptitle.h"
#include "common/displaytext.h"
#include "common/quindleerror.h"
#include "document/projectlistdocument.h"
#include "help/helpfilelocation.h"
#include "help/tcorvaneaboutbox.h"
#include "listfile/lineformat.h"
#include "listfile/listfileerror.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QHeaderView>
#include <QTimer>
#include <functional>

TVantorel::TVantorel(QWidget* parent, Dialogs* dialogs)
    : QMainWindow(parent), ui_(std::make_unique<Ui::TVantorel>()),
      fontDialogFont_(QStringLiteral("MS Sans Serif"), 8)
{
    ui_->setupUi(this);
    setDialogs(dialogs);
    // Where the window's designed font is not installed, the desktop's own
    // font reads better than whatever stands in for it at 8 points.
    if (!QFontDatabase::hasFamily(font().family()))
        setFont(QFont());
    document_ = new ProjectListDocument(this);
    // The view shows the list as a whole whenever it became another one.
    connect(document_, &ProjectListDocument::linesReplaced, this, &TVantorel::refillView);
    // The panels over the list, hidden until asked for.
    optionsPanel_ = new OptionsPages(ui_->centralwidget);
    optionsPanel_->setVisible(false);
    wizardPanel_ = new WizardPages(ui_->centralwidget);
    wizardPanel_->setVisible(false);

    model_ = new ProjectListModel(this);
    ui_->Projects->setModel(model_);
    ui_->Projects->setItemDelegate(new ProjectListDelegate(ui_->Projects));
    ui_->Projects->setColumnWidth(0, 50);
    ui_->Projects->setColumnWidth(1, 405);
    ui_->Projects->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    // A report view of one line per item: every row the same height, so the
    // view keeps no per-row data even for a million rows.
    QHeaderView* rows = ui_->Projects->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    fitRowsToFont();
    ui_->Projects->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ui_->centralwidget->installEventFilter(this);
    ui_->Projects->installEventFilter(this);


    startDelay_ = new QTimer(this);
    startDelay_->setObjectName(QStringLiteral("StartDelay"));
    startDelay_->setInterval(1000);
    startDelay_->setSingleShot(true);
    connect(startDelay_, &QTimer::timeout, this, &TVantorel::StartDelayTimer);

    buildToolbar();
    followPalette();
    buildStatusBar();
    wireCommands();
    wireSearch();
    wirePrinting();
    wireWizard();
    wireHelp();
    wireAbout();
    wireListFileGuards();
    wireRepair();
    wireUndo();
    wireKeyboard();
    wireRecentLists();
    wireCopy();
    nameControlsForAssistiveTools(this);

    resize(740, 505);
}

TVantorel::~TVantorel() = default;

void TVantorel::setDialogs(Dialogs* dialogs)
{
    if (dialogs) {
        dialogs_ = dialogs;
        return;
    }
    if (!ownDialogs_)
        ownDialogs_ = std::make_unique<QtDialogs>(this);
    dialogs_ = ownDialogs_.get();
}

void TVantorel::wireCommands()
{
    connect(ui_->Load1, &QAction::triggered, this, &TVantorel::Load1Click);
    connect(ui_->Exit1, &QAction::triggered, this, &TVantorel::Exit1Click);
    connect(ui_->ExitBtn, &QAction::triggered, this, &TVantorel::Exit1Click);
    connect(ui_->Font1, &QAction::triggered, this, &TVantorel::Font1Click);
    connect(ui_->Colour1, &QAction::triggered, this, &TVantorel::Colour1Click);
    connect(ui_->General1, &QAction::triggered, this, &TVantorel::General1Click);
    connect(optionsPanel_->form().CloseTabs, &QPushButton::clicked, this, &TVantorel::CloseTabsClick);
    connect(optionsPanel_->form().Button6, &QPushButton::clicked, this, &TVantorel::CloseTabsClick);
}

bool TVantorel::runCommand(const std::function<void()>& command)
{
    try {
        command();
        return true;
    } catch (const QuindleError& e) {
        dialogs_->showError(e.message());
    } catch (const ListFileReadCancelled&) {
        // The user's own choice: nothing to tell.
    } catch (const ListFileError& e) {
        dialogs_->showError(listFileErrorText(e.what()));
    } catch (const std::bad_alloc&) {
        dialogs_->showError(tr("Out of memory"));
    } catch (const std::exception& e) {
        dialogs_->showError(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

bool TVantorel::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    const bool handled = QMainWindow::event(event);
    // Once the window's own palette is resolved anew.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        followPalette();
    return handled;
}

void TVantorel::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!centred_) {
        centred_ = true;
        if (!restoreWindowPlace())
            centreOnScreen(screen());
    }
    // Not every platform activates a window that is shown (offscreen, some
    // window managers); the first activation's work must still happen.
    if (!firstActivationDone_)
        QMetaObject::invokeMethod(this, &TVantorel::FormActivate, Qt::QueuedConnection);
}

bool TVantorel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui_->centralwidget && event->type() == QEvent::Resize) {
        layOutListArea();
        placePanels();
    } else if (watched == ui_->centralwidget && event->type() == QEvent::LayoutRequest) {
        // A panel's or the notice bar's contents asked for more room (a
        // longer message, a larger font).
        layOutListArea();
        placePanels();
    }
    if (handleKeyboardEvent(watched, event) || undoKeyGoesToList(watched, event))
        return true;
    if (watched == ui_->Projects && event->type() == QEvent::FontChange) {
        fitRowsToFont();
        widenNumberColumnFor(document_->lines());
    }
    if ((watched == ui_->StatusBar || watched == statusPanel(1)) && event->type() == QEvent::FontChange)
        fitStatusBarToFont();
    return QMainWindow::eventFilter(watched, event);
}

void TVantorel::FormActivate()
{
    if (firstActivationDone_)
        return;
    firstActivationDone_ = true;
    startupInProgress_ = true;
    guard_->start();
    runCommand([this] {
        const QString executable = QCoreApplication::applicationFilePath();
        aboutBox_->setFilename(executable);
        contextHelp_->pointAt(locateHelpFile(executable, QStringLiteral("Quindle.qch")));
        const QString version = aboutBox_->GetFileVersion();
        setWindowTitle(tr("%1 Version %2  by Corvane").arg(applicationTitle(), version));
        startupInProgress_ = false;

        document_->clear();
        LoadSettings();
        if (optionsPanel_->form().MaximiseApp->isChecked())
            setWindowState(windowState() | Qt::WindowMaximized);
        // With "Auto Fix" on, the repair's read is the load, unless the
        // repaired lines were not saved: then the file is shown as it is.
        bool read = false;
        if (optionsPanel_->form().Autofix->isChecked()) {
            try {
                read = RepairListFile();
            } catch (const UneditableListFile&) {
                // The load below says what the file is.
            }
        }
        const std::string& path = document_->currentListFile();
        statusPanel(0)->setText(pathText(path));
        if (read) {
            refillView();
            recentLists_->remember(path);
        } else {
            openList(path);
        }
        guard_->offerRecovery();
        if (optionsPanel_->form().JumptoLast->isChecked())
            startDelay_->start();
    });
}

void TVantorel::Font1Click()
{
    const std::optional<QFont> font = dialogs_->chooseFont(fontDialogFont_);
    if (!font)
        return;
    fontDialogFont_ = *font;
    ui_->Projects->setFont(*font);
    fitRowsToFont();
}

void TVantorel::Colour1Click()
{
    const std::optional<QColor> colour = dialogs_->chooseColour(ui_->Projects->palette().color(QPalette::Text));
    if (!colour)
        return;
    listTextColour_ = *colour;
    followPalette();
}

void TVantorel::General1Click()
{
    placePanels();
    optionsPanel_->setVisible(true);
    optionsPanel_->raise();
}

const LineList& TVantorel::ProjectLines() const
{
    return document_->lines();
}

const std::string& TVantorel::CurrentListFile() const
{
    return document_->currentListFile();
}

std::optional<ShownCaption> TVantorel::lastShownCaption() const
{
    if (model_->count() == 0)
        return std::nullopt;
    const int last = model_->count() - 1;
    return ShownCaption{std::string(model_->caption(last)), model_->coding(last)};
}

bool TVantorel::allowsDuplicates() const
{
    return optionsPanel_->form().Allowduplicates->isChecked();
}

void TVantorel::CloseTabsClick()
{
    optionsPanel_->setVisible(false);
}

void TVantorel::StartDelayTimer()
{
    startDelay_->stop();
    search_->jumpToEnd();
}

void TVantorel::Exit1Click()
{
    close();
}

int TVantorel::SelectedProjectNumber() const
{
    const QModelIndexList rows = ui_->Projects->selectionModel()
        ? ui_->Projects->selectionModel()->selectedRows()
        : QModelIndexList();
    if (rows.isEmpty())
        return -1;
    return captionProjectNumber(model_->caption(rows.first().row()));
}

void TVantorel::closeEvent(QCloseEvent* event)
{
    if (repair_->deferClose(event))
        return;
    if (!closed_ && !startupInProgress_ && !settleUnsavedChanges()) {
        event->ignore();
        return;
    }
    if (!closed_) {
        closed_ = true;
        guard_->stop();
        FormClose();
    }
    QMainWindow::closeEvent(event);
}

void TVantorel::FormClose()
{
    if (startupInProgress_)
        return;
    document_->clear();
    runCommand([this] { SaveSettings(); });
}
