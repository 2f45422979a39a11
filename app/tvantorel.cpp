#include "app/tvantorel.h"

#include "ui_optionspages.h"
#include "ui_tvantorel.h"
#include "ui_wizardpages.h"

#include "wizard/wizardpages.h"

#include "app/accessiblenames.h"
#include "app/loadprogress.h"
#include "help/helpfilelocation.h"

#include "app/optionspages.h"

#include "common/apptitle.h"
#include "common/displaytext.h"
#include "listfile/lineformat.h"
#include "listfile/listfileerror.h"
#include "listfile/listfileio.h"
#include "app/projectlistdelegate.h"
#include "app/projectlistmodel.h"
#include "app/qtdialogs.h"
#include "common/quindleerror.h"
#include "app/settingsstore.h"
#include "help/thelpcontextmap.h"
#include "help/thelprouter.h"
#include "help/twhatsthis.h"
#include "app/toolbaricons.h"
#include "document/projectlistdocument.h"

#include <QCloseEvent>
#include <functional>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <sys/stat.h>

namespace {

// Whether a list file of that name exists. A name that is no UTF-8 is looked
// up by its own bytes: a QString would not carry them.
bool listFileExists(const std::string& path)
{
    const QString name = QFile::decodeName(QByteArray::fromStdString(path));
    if (QFile::encodeName(name).toStdString() == path)
        return QFileInfo::exists(name);
    struct stat info {};
    return path.find('\0') == std::string::npos && ::stat(path.c_str(), &info) == 0;
}

} // namespace

// The list store reports in English; its messages are put in the user's
// language where they are shown, the file name kept as it came.
QString listFileErrorText(const char* message)
{
    const QString text = QString::fromLocal8Bit(message);
    const char* const withFileName[] = {QT_TRANSLATE_NOOP("TVantorel", "Cannot open file %1"),
                                        QT_TRANSLATE_NOOP("TVantorel", "Cannot create file %1")};
    for (const char* form : withFileName) {
        const QString prefix = QString::fromLatin1(form).chopped(2);
        if (text.startsWith(prefix))
            return QCoreApplication::translate("TVantorel", form).arg(text.mid(prefix.size()));
    }
    if (text == QLatin1String("List index out of bounds (-1)"))
        return QCoreApplication::translate("TVantorel", "List index out of bounds (-1)");
    return text;
}

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
    wireRepair();
    wireSearch();
    wirePrinting();
    wireWizard();
    wireHelp();
    wireAbout();
    wireListFileWatch();
    wireConflictCopies();
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

void TVantorel::drawPictures()
{
    struct Picture {
        QAction* action;
        ToolPicture picture;
    };
    const Picture pictures[] = {
        {ui_->ExitBtn, ToolPicture::Exit},     {ui_->printerBtn, ToolPicture::Print},
        {ui_->EditBtn, ToolPicture::Edit},     {ui_->DeleteBtn, ToolPicture::Delete},
        {ui_->AddBtn, ToolPicture::Add},       {ui_->InsertBtn, ToolPicture::Insert},
        {ui_->ListFixBtn, ToolPicture::Fix},   {ui_->InvertList, ToolPicture::Swap},
    };
    for (const Picture& p : pictures)
        p.action->setIcon(toolbarIcon(p.picture, palette()));
    optionsPanel_->form().PrinterPicture->setPixmap(pagePicture(ToolPicture::Print, 64, palette()));
    wizardPanel_->form().Picture1->setPixmap(pagePicture(ToolPicture::Insert, 96, palette()));
    wizardPanel_->form().Picture2->setPixmap(pagePicture(ToolPicture::Edit, 96, palette()));
    wizardPanel_->form().Picture3->setPixmap(pagePicture(ToolPicture::Fix, 96, palette()));
    wizardPanel_->form().Picture4->setPixmap(pagePicture(ToolPicture::Add, 96, palette()));
}

void TVantorel::buildToolbar()
{
    // The groups of buttons stand apart by fixed gaps.
    const int gaps[] = {29, 20, 48};
    int next = 0;
    for (QAction* action : ui_->ToolBar1->actions()) {
        if (!action->isSeparator() || next >= 3)
            continue;
        auto* gap = new QWidget(ui_->ToolBar1);
        gap->setFixedWidth(gaps[next++]);
        ui_->ToolBar1->insertWidget(action, gap);
        ui_->ToolBar1->removeAction(action);
    }
    ui_->ToolBar1->setFixedHeight(44);
}

void TVantorel::buildStatusBar()
{
    struct Panel {
        const char* text;
        int width;
        Qt::Alignment alignment;
        const char* purpose;  // what a screen reader says the panel is
    };
    const Panel panels[] = {
        {QT_TR_NOOP("Current Project List"), 250, Qt::AlignLeft, "List file"},
        {"0000", 40, Qt::AlignHCenter, "Projects in the list"},
        {"", 40, Qt::AlignLeft, "Found project"},
        {"", 40, Qt::AlignHCenter, "Found at row"},
        {QT_TR_NOOP("Project Discription"), 50, Qt::AlignLeft, "Found description"},
    };
    int index = 0;
    for (const Panel& p : panels) {
        const int number = index++;
        auto* label = new QLabel(ui_->StatusBar);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(number));
        setStatusPanelPurpose(label, QString::fromLatin1(p.purpose));
        label->setText(*p.text ? tr(p.text) : QString());
        label->setAlignment(p.alignment | Qt::AlignVCenter);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(p.width);
        if (index < 5)
            label->setFixedWidth(p.width);
        // The last panel takes what room is left, as the last panel of a status bar does.
        ui_->StatusBar->addWidget(label, index < 5 ? 0 : 1);
        statusPanels_ << label;
    }
    ui_->StatusBar->setSizeGripEnabled(false);
    fitStatusBarToFont();
    ui_->StatusBar->installEventFilter(this);
    statusPanel(1)->installEventFilter(this);
}

void TVantorel::fitStatusBarToFont()
{
    // 20 pixels, or a line of a larger desktop font.
    ui_->StatusBar->setFixedHeight(qMax(20, ui_->StatusBar->fontMetrics().height() + 6));
    // The line count and the found row have room for a list of a million
    // lines in any font.
    for (QLabel* number : {statusPanel(1), statusPanel(3)}) {
        const QFontMetrics metrics = number->fontMetrics();
        number->setFixedWidth(qMax(40, metrics.horizontalAdvance(QStringLiteral("1000000")) +
                                           2 * number->frameWidth() + 2 * metrics.averageCharWidth()));
    }
}

QLabel* TVantorel::statusPanel(int index) const
{
    return statusPanels_.value(index);
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

void TVantorel::centreOnScreen(QScreen* screen)
{
    // Centred on the screen, and never partly off it: on a small screen
    // or at a large scale the window shrinks to what is available.
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QSize frame = frameGeometry().size() - size();
    resize(size().boundedTo(available.size() - frame));
    QRect placed(QPoint(), frameGeometry().size().boundedTo(available.size()));
    placed.moveCenter(available.center());
    move(placed.topLeft());
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
    runCommand([this] {
        const QString executable = QCoreApplication::applicationFilePath();
        pointAboutBoxAt(executable);
        pointHelpAt(locateHelpFile(executable, QStringLiteral("Quindle.qch")));
        const QString version = executableVersion();
        setWindowTitle(tr("%1 Version %2  by Corvane").arg(applicationTitle(), version));
        startupInProgress_ = false;

        document_->clear();
        LoadSettings();
        if (startupListFile_)
            document_->setCurrentListFile(*startupListFile_);
        if (optionsPanel_->form().MaximiseApp->isChecked())
            setWindowState(windowState() | Qt::WindowMaximized);
        if (optionsPanel_->form().Autofix->isChecked()) {
            try {
                RepairListFile();
            } catch (const UneditableListFile&) {
                // The load below says what the file is.
            }
        }
        statusPanel(0)->setText(pathText(document_->currentListFile()));
        ShowListFile(document_->currentListFile(), true);
        offerRecovery();
        if (optionsPanel_->form().JumptoLast->isChecked())
            startDelay_->start();
    });
}

bool TVantorel::ShowListFile(const std::string& path, bool load)
{
    if (load) {
        if (!listFileExists(path)) {
            dialogs_->showMessage(tr("Cannot find list file %1").arg(pathText(path)));
            return false;
        }
        LoadProgress progress(this, tr("Reading the %1 ...").arg(listFileNamed(path)));
        document_->load(path, std::ref(progress));
        findConflictCopies();
        rememberRecentList(path);
    }
    const LineList& lines = document_->lines();
    statusPanel(1)->setText(QString::number(lines.size()));
    model_->fill(lines);
    widenNumberColumnFor(lines);
    // A refilled view shows its first rows, as a view filled anew does.
    ui_->Projects->scrollToTop();
    if (!lines.empty()) {
        ui_->Print1->setEnabled(true);
        ui_->PrintPreview1->setEnabled(true);
        ui_->printerBtn->setEnabled(true);
    }
    return true;
}

void TVantorel::widenNumberColumnFor(const LineList& lines)
{
    // Column "Num" is made for three digits at the usual font; a longer
    // number, or three digits in a larger font, is shown whole.
    std::size_t longest = 3;
    for (std::string_view line : lines)
        if (line.size() > 3 && line[3] >= '0' && line[3] <= '9')
            longest = std::max(longest, std::min<std::size_t>(numberKeyLength(line), 12));
    const QFontMetrics metrics(ui_->Projects->font());
    const int needed = metrics.horizontalAdvance(QString(int(longest) + 2, QLatin1Char('0')))
        + 2 * ui_->Projects->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 6;
    if (ui_->Projects->columnWidth(0) < needed)
        ui_->Projects->setColumnWidth(0, needed);
}

void TVantorel::Load1Click()
{
    FileDialogOptions options;
    options.title = tr("ARDLOW PROJECTS");
    options.filter = tr("Ardlow Project File [*.txt]|*.txt");
    options.defaultExtension = QStringLiteral("txt");
    options.fileName = openDialogFileName_;
    // The dialog does not insist on an existing file: choosing a missing one
    // makes it the list in use (and reports it missing).
    options.mustExist = false;
    const std::optional<QString> chosen = dialogs_->openFileName(options);
    if (!chosen)
        return;
    openDialogFileName_ = *chosen;
    openListFile(*chosen);
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

void TVantorel::fitRowsToFont()
{
    ui_->Projects->verticalHeader()->setDefaultSectionSize(QFontMetrics(ui_->Projects->font()).height() + 2);
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

// Each panel keeps the place the window's design gives it while there is room,
// grows to what its contents ask for (larger fonts, high-DPI scaling) and
// stays inside the area over the list.
void TVantorel::placePanels()
{
    struct Placement {
        QWidget* panel;
        QRect designed;
    };
    const QRect area = ui_->centralwidget->rect();
    for (const Placement& p : {Placement {wizardPanel_, QRect(112, 136, 457, 241)},
                               Placement {optionsPanel_, QRect(128, 152, 385, 201)}}) {
        const QSize wanted = p.designed.size().expandedTo(p.panel->sizeHint()).boundedTo(area.size());
        QRect placed(p.designed.topLeft(), wanted);
        placed.moveRight(qMin(placed.right(), area.right()));
        placed.moveBottom(qMin(placed.bottom(), area.bottom()));
        placed.moveLeft(qMax(placed.left(), area.left()));
        placed.moveTop(qMax(placed.top(), area.top()));
        p.panel->setGeometry(placed);
    }
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

void TVantorel::scrollProjectsBy(int pixels)
{
    QScrollBar* bar = ui_->Projects->verticalScrollBar();
    const qint64 target = qint64(bar->value()) + pixels;
    bar->setValue(int(qBound<qint64>(qint64(bar->minimum()), target, qint64(bar->maximum()))));
}

void TVantorel::StartDelayTimer()
{
    startDelay_->stop();
    scrollProjectsBy(projectsJumpDistance());
    ui_->InvertList->setProperty("Tag", 1);
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
    if (deferCloseDuringRepair(event))
        return;
    if (!closed_ && !startupInProgress_ && !settleUnsavedChanges()) {
        event->ignore();
        return;
    }
    if (!closed_) {
        closed_ = true;
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
