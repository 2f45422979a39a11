#pragma once
// The main window: the whole user interface. It owns the list document (the
// list in memory and the list file in use), the list view, the options pages
// and the wizard pages. Its slots keep the names of the commands they serve and hand
// the real work to the class of their subsystem.
#include <QColor>
#include <QFont>
#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/listprinter.h"
#include "common/dialogs.h"
#include "listfile/linelist.h"
#include "wizard/wizardhost.h"

namespace Ui {
class TVantorel;
}
class QAction;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QMimeData;
class QScreen;
class QLabel;
class QTimer;
struct HistoryStep;
class ProjectListModel;
class TFindDialog;
class PrintSurface;
class WizardController;
class RecordEditor;
class ProjectListDocument;
class WizardPages;
class OptionsPages;
class NoticeBar;

// A list store message (ListFileError) in the user's language.
QString listFileErrorText(const char* message);

class TVantorel : public QMainWindow, public WizardHost {
    Q_OBJECT
public:
    // dialogs: where prompts go; the window's own Qt dialogs when null.
    explicit TVantorel(QWidget* parent = nullptr, Dialogs* dialogs = nullptr);
    ~TVantorel() override;

    // The list document: the list in memory and the list file in use.
    ProjectListDocument& document() const { return *document_; }
    const LineList& ProjectLines() const;
    const std::string& CurrentListFile() const;

    Ui::TVantorel* form() const { return ui_.get(); }
    ProjectListModel* listModel() const { return model_; }
    WizardPages* wizardPanel() const { return wizardPanel_; }
    OptionsPages* optionsPanel() const { return optionsPanel_; }
    QLabel* statusPanel(int index) const;
    Dialogs& dialogs() const override { return *dialogs_; }
    void setDialogs(Dialogs* dialogs);
    QTimer* startDelay() const { return startDelay_; }
    const QFont& fontDialogFont() const { return fontDialogFont_; }

    bool firstActivationDone() const { return firstActivationDone_; }
    bool startupInProgress() const { return startupInProgress_; }

    // Optionally loads path into the list in memory, then refills the view and
    // the line count. Returns false when load was asked and no file exists.
    bool ShowListFile(const std::string& path, bool load) override;
    void LoadSettings();
    void SaveSettings();
    // Number of the selected project, or -1 when nothing is selected.
    int SelectedProjectNumber() const;
    int selectedProjectNumber() const override { return SelectedProjectNumber(); }
    std::optional<ShownCaption> lastShownCaption() const override;
    bool allowsDuplicates() const override;
    void RepairListFile();
    bool saveList() override;
    bool settleUnsavedChanges() override;
    // A list file to use instead of the stored one from the first activation
    // on (a file named on the command line).
    void useListFileAtStartup(const QString& path);
    // The same for the name's own bytes, which need not be UTF-8.
    void useListFileAtStartup(const std::string& path);

    // Scrolls the list view by pixels (positive towards its end).
    void scrollProjectsBy(int pixels);
    // Runs one command; a failure is shown as the error report and the
    // program goes on. Returns false when the command failed.
    bool runCommand(const std::function<void()>& command) override;

public slots:
    // Places the panels over the list view, each at its own size.
    void placePanels();

    // start-up, shutdown and the options
    void FormActivate();
    void Load1Click();
    void Font1Click();
    void Colour1Click();
    void General1Click();
    void CloseTabsClick();
    void StartDelayTimer();
    void Exit1Click();
    void MergeConflictCopy1Click();

    // list repair
    void FixErrors1Click();

    // search and the jump between list start and end
    void ProjectSearch();
    void FindDialog1Find();
    void InvertListClick();

    // printing
    void Print1Click();
    void PrintPreview1Click();
    void PrintSetupClick();

    // wizard and record editing
    void NewClick();
    void Addproject1Click();
    void InsertProject1Click();
    void EditProject1Click();
    void RemoveProject1Click();
    void ProjectChange();
    void UtilBtnClick();
    void RemoveClick();
    void Next4Click();
    void CancelWizardClick();
    void DirselectClick();
    void Next1Click();
    void BrowseClick();
    void Back2Click();
    void Next2Click();
    void Back3Click();
    void Next3Click();
    void Back4Click();

    // undo and redo of the changes to the list
    void Undo1Click();
    void Redo1Click();

    // context help
    void mainHelpClick();
    void HelpBtnClick();

    // about box and links
    void About1Click();
    void CorvaneonTheWeb1Click();
    void ContactCorvane1Click();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Column "Num" as wide as the longest number of lines needs.
    void widenNumberColumnFor(const LineList& lines);
    void FormClose();
    void buildToolbar();
    // The toolbar's and the pages' pictures in the colours of the palette.
    void drawPictures();
    // Centred on the screen shown on, or on the primary screen, never partly off it.
    void centreOnScreen(QScreen* screen);
    void buildStatusBar();
    void wireCommands();
    void wireKeyboard();
    // Keys and focus moves of the list and the panels; true when handled.
    bool handleKeyboardEvent(QObject* watched, QEvent* event);
    // Rows one line of the list view's font high.
    void fitRowsToFont();
    // A status bar a line of its font high, the line count wide enough for a million.
    void fitStatusBarToFont();
    // Each subsystem connects its own commands and sets up its own parts.
    void wireRepair();
    void wireSearch();
    void wirePrinting();
    void wireWizard();
    void wireHelp();
    void wireAbout();
    // The help file the help router is pointed at on the first activation.
    void pointHelpAt(const QString& helpFile);
    void pointAboutBoxAt(const QString& executablePath);
    QString executableVersion();

    std::unique_ptr<Ui::TVantorel> ui_;
    std::unique_ptr<Dialogs> ownDialogs_;
    Dialogs* dialogs_ = nullptr;
    ProjectListModel* model_ = nullptr;
    QList<QLabel*> statusPanels_;
    QTimer* startDelay_ = nullptr;
    QFont fontDialogFont_;
    QString openDialogFileName_ = QStringLiteral("Projects.txt");

    ProjectListDocument* document_ = nullptr;
    WizardPages* wizardPanel_ = nullptr;
    OptionsPages* optionsPanel_ = nullptr;
    std::optional<std::string> startupListFile_;
    bool firstActivationDone_ = false;
    bool startupInProgress_ = false;
    bool closed_ = false;
    bool centred_ = false;

    // --- the list file on disk: others' changes, unsaved changes ---
public:
    // Where what the list file's watch finds is told, with its actions.
    NoticeBar* noticeBar() const { return noticeBar_; }

private:
    void wireListFileWatch();
    // The notice bar over the top of the list, the list below it.
    void layOutListArea();
    // Reads the list file again after someone else changed it: merged into
    // the unsaved changes when there are any; page 4 stays open. An
    // unreadable file is told in the notice bar.
    void readChangeOnDisk();
    // The notice bar's message for a list file that is gone or unreadable.
    void tellListFileDeleted();
    // The save of the list; recreateDeleted: a list file deleted on disk is
    // written again without asking.
    bool saveList(bool recreateDeleted);
    void tellListFileUnreadable(const QString& error);
    // Page 4's count of the projects follows the list it edits.
    void showPage4Count();
    // True when the list file is as read, or the user agrees to overwrite
    // (or re-create) it.
    // A change of the list file on disk is taken up only while the window
    // waits for the user: no repair, no wizard, no modal box open.
    bool idleForChangeOnDisk() const;
    void takeUpChangeOnDisk();
    // Offers the changes a crashed or killed run left in its journal for
    // the list file in use.
    void offerRecovery();
    // Sets aside the journals of path that cannot be read and says where.
    void tellUnreadableJournals(const std::string& path);
    QTimer* changeOnDiskRetry_ = nullptr;
    NoticeBar* noticeBar_ = nullptr;

    // --- sync tools' conflict copies beside the list file ---
    void wireConflictCopies();
    // Looks for conflict copies beside the list file in use; a new one is
    // told in the notice bar.
    void findConflictCopies();
    void mergeConflictCopy(const std::string& copyPath);
    // Keeps the list as last written as the base of a later merge, where
    // the list lies in a synced folder.
    void keepMergeBase();
    std::vector<std::string> conflictCopies_;
    // Copies already told about, so that each is told once.
    std::vector<std::string> toldCopies_;

    // --- undo and redo ---
private:
    void wireUndo();
    void showUndoState();
    // Page 4 shows the project an undo or redo changed.
    void followOnPage4(const HistoryStep& step);
    bool undoKeyGoesToList(QObject* watched, QEvent* event) const;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;

    // --- list repair ---
    // A close asked for while a repair runs ends the repair and happens after it.
    bool deferCloseDuringRepair(QCloseEvent* event);
    bool repairRunning_ = false;
    bool closeAfterRepair_ = false;

    // --- search and jump ---
    TFindDialog* findDialog_ = nullptr;
    // Pixels a jump between list start and end moves the list view: the
    // font height plus one pixel for each item.
    int projectsJumpDistance() const;
    void showSearchHit(int row);

    // --- printing ---
public:
    // The one printer object that the print dialog and printer setup share.
    QPrinter& printer();
    // Where the heading's date and time come from (now when not set).
    void setPrintClock(PrintClock clock) { printClock_ = std::move(clock); }
    // What a job is drawn on; the printer itself when not set.
    using PrintSurfaceFactory = std::function<std::shared_ptr<PrintSurface>(QPrinter&)>;
    void setPrintSurfaceFactory(PrintSurfaceFactory factory) { printSurfaceFactory_ = std::move(factory); }

private:
    PrintOptions printOptions() const;
    // Lays the list out on target as a print job; a failure throws.
    void printListOn(QPrinter& target);
    void showPrintFailure();
    std::shared_ptr<QPrinter> printer_;
    PrintClock printClock_;
    PrintSurfaceFactory printSurfaceFactory_;

    // --- wizard and record editing ---
public:
    WizardController& wizardPages() const { return *wizardPages_; }

private:
    WizardController* wizardPages_ = nullptr;
    RecordEditor* recordEditor_ = nullptr;

    // --- context help ---
public:
    class THelpRouter* helpRouter() const { return helpRouter_.get(); }
    class TWhatsThis* whatsThis() const { return whatsThis_.get(); }
    class THelpContextMap* helpContextMap() const { return helpContextMap_.get(); }
private:
    void wireContextHelp();
    bool helpFileFound();
    QString helpFileProblemNow() const;
    QString helpFile_;
    // Destroyed in reverse order: the gestures stop before the router goes.
    std::unique_ptr<class THelpRouter> helpRouter_;
    std::unique_ptr<class THelpContextMap> helpContextMap_;
    std::unique_ptr<class TWhatsThis> whatsThis_;

    // --- about box and links ---
    class TCorvaneAboutBox* aboutBox_ = nullptr;

    // --- the list files used last, and list files dropped on the window ---
public:
    // Newest first, each an absolute path.
    const QStringList& recentLists() const { return recentLists_; }
    // Loads a list file as Load does once its dialog chose it: first asks
    // about unsaved changes; a missing file is said and still becomes the
    // list in use.
    void openListFile(const QString& path);
    // The one plain file a drag carries, or nothing: several files, a
    // folder, a pipe, a device or text are no list to open.
    static std::optional<QString> droppedListFile(const QMimeData* data);

private:
    void wireRecentLists();
    void showRecentLists();
    // A list file read or written: first among the recent lists.
    void rememberRecentList(const std::string& path);
    void openRecentList(const QString& path);
    void readRecentLists(class SettingsStore& store);
    void writeRecentLists(class SettingsStore& store);
    QStringList recentLists_;
    QList<QAction*> recentActions_;
    QAction* recentSeparator_ = nullptr;

    // --- window place, copy, colours ---
public slots:
    void CopyProject1Click();

private:
    void wireCopy();
    // The place and size the window had at the last close; false when there
    // is none that fits a screen now.
    bool restoreWindowPlace();
    void writeWindowPlace(class SettingsStore& store);
    // The list, the pictures and the panels take up a changed palette.
    void followPalette();
    std::optional<QColor> listTextColour_;
    bool followingPalette_ = false;
};
