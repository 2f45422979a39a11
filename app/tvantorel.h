#pragma once
// The main window: the whole user interface. It owns the list document (the
// list in memory and the list file in use), the list view, the options pages,
// the wizard pages and the controllers of its concerns, and wires them: its
// slots keep the names of the commands they serve and hand the real work to
// the class of their subsystem. The list view follows the document: it is
// refilled whenever the lines become another list as a whole.
#include <QColor>
#include <QFont>
#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/listfiletexts.h"
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
class SearchCommands;
class ListRepairCommand;
class WizardController;
class RecordEditor;
class ProjectListDocument;
class WizardPages;
class OptionsPages;
class NoticeBar;
class ListFileGuard;
class ConflictCopyGuard;
class RecentListsMenu;
class PrintCommands;
class ContextHelp;

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

    // Loads path into the list in memory (the view follows); false when no
    // file exists there, which is said to the user.
    bool openList(const std::string& path) override;
    // Fills the view and the line count anew from the list in memory.
    void refillView();
    // Reads the options and the recent lists, and sets the list file in use:
    // the one named on the command line, else the stored one.
    void LoadSettings();
    void SaveSettings();
    // Number of the selected project, or -1 when nothing is selected.
    int SelectedProjectNumber() const;
    int selectedProjectNumber() const override { return SelectedProjectNumber(); }
    std::optional<ShownCaption> lastShownCaption() const override;
    bool allowsDuplicates() const override;
    // Repairs the list file in use; true when it read the list file and left
    // the list in memory as the file is now (no faults, or saved repaired).
    bool RepairListFile();
    bool saveList() override;
    bool settleUnsavedChanges() override;
    // A list file to use instead of the stored one from the first activation
    // on (a file named on the command line).
    void useListFileAtStartup(const QString& path);
    // The same for the name's own bytes, which need not be UTF-8.
    void useListFileAtStartup(const std::string& path);

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

    // --- the list file on disk: others' changes, unsaved changes, conflict copies ---
public:
    // Where what the list file's guards find is told, with its actions.
    NoticeBar* noticeBar() const { return noticeBar_; }
    ListFileGuard& listFileGuard() const { return *guard_; }

private:
    void wireListFileGuards();
    // The notice bar over the top of the list, the list below it.
    void layOutListArea();
    // Whether the window waits for the user: no repair, no modal box, no
    // caption edited in place.
    bool waitsForUser() const;
    NoticeBar* noticeBar_ = nullptr;
    ListFileGuard* guard_ = nullptr;
    ConflictCopyGuard* conflictCopies_ = nullptr;

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
    ListRepairCommand* repair_ = nullptr;

    // --- search and jump ---
    SearchCommands* search_ = nullptr;

    // --- printing ---
public:
    PrintCommands& printing() const { return *printing_; }

private:
    PrintCommands* printing_ = nullptr;

    // --- wizard and record editing ---
public:
    WizardController& wizardPages() const { return *wizardPages_; }

private:
    WizardController* wizardPages_ = nullptr;
    RecordEditor* recordEditor_ = nullptr;

    // --- context help ---
public:
    ContextHelp& contextHelp() const { return *contextHelp_; }

private:
    std::unique_ptr<ContextHelp> contextHelp_;

    // --- about box and links ---
    class TCorvaneAboutBox* aboutBox_ = nullptr;

    // --- the list files used last, and list files dropped on the window ---
public:
    RecentListsMenu& recentListsMenu() const { return *recentLists_; }
    // Loads a list file as Load does once its dialog chose it: first asks
    // about unsaved changes; a missing file is said and still becomes the
    // list in use.
    void openListFile(const QString& path);
    // The one plain file a drag carries, or nothing: several files, a
    // folder, a pipe, a device or text are no list to open.
    static std::optional<QString> droppedListFile(const QMimeData* data);

private:
    void wireRecentLists();
    RecentListsMenu* recentLists_ = nullptr;

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
