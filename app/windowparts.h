#pragma once
// The parts of the main window, built by it and wired by the functions of
// app/windowwiring.h: the form, the document, the view, the panels and the
// controllers of its concerns, with the little state the window itself keeps.
// Tests reach a part here instead of through an accessor each.
#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <optional>
#include <string>

namespace Ui {
class TVantorel;
}
class QAction;
class QLabel;
class QTimer;
class ProjectListDocument;
class ProjectListModel;
class WizardPages;
class OptionsPages;
class NoticeBar;
class ListFileGuard;
class ConflictCopyGuard;
class ListRepairCommand;
class SearchCommands;
class PrintCommands;
class WizardController;
class RecordEditor;
class ContextHelp;
class TCorvaneAboutBox;
class RecentListsMenu;
class WindowHost;

struct WindowParts {
    Ui::TVantorel* form = nullptr;
    // The list in memory and the list file in use.
    ProjectListDocument* document = nullptr;
    ProjectListModel* listModel = nullptr;
    WizardPages* wizardPanel = nullptr;
    OptionsPages* optionsPanel = nullptr;
    QList<QLabel*> statusPanels;
    QTimer* startDelay = nullptr;
    QFont fontDialogFont;
    QString openDialogFileName = QStringLiteral("Projects.txt");
    // What the controllers ask of the window: dialogs, commands, the view, the save.
    WindowHost* host = nullptr;

    // Where what the list file's guards find is told, with its actions.
    NoticeBar* noticeBar = nullptr;
    ListFileGuard* listFileGuard = nullptr;
    ConflictCopyGuard* conflictCopies = nullptr;
    ListRepairCommand* repair = nullptr;
    SearchCommands* search = nullptr;
    PrintCommands* printing = nullptr;
    WizardController* wizardPages = nullptr;
    RecordEditor* recordEditor = nullptr;
    ContextHelp* contextHelp = nullptr;
    TCorvaneAboutBox* aboutBox = nullptr;
    RecentListsMenu* recentLists = nullptr;
    QAction* undoAction = nullptr;
    QAction* redoAction = nullptr;

    // A list file named on the command line, used instead of the stored one.
    std::optional<std::string> startupListFile;
    bool firstActivationDone = false;
    bool startupInProgress = false;
    bool closed = false;
    bool centred = false;
    // A text colour chosen with Options > Colour, kept across palette changes.
    std::optional<QColor> listTextColour;
    bool followingPalette = false;

    QLabel* statusPanel(int index) const { return statusPanels.value(index); }
};
