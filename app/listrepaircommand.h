#pragma once
// The list repair as the window runs it ("Fix Errors", and "Auto Fix" at
// start-up): unsaved changes settled first, the list file read afresh and
// repaired with progress, the counts told, and the repaired list saved only
// when the user agrees. While it runs, the commands that change the list in
// memory or the list file in use are disabled, a second repair does not
// start, and a close asked for ends the repair and happens after it.
#include <QObject>
#include <vector>

class CommandHost;
class ListFileGuard;
class ProjectListDocument;
class QAbstractButton;
class QAction;
class QCloseEvent;
class QWidget;

class ListRepairCommand : public QObject {
    Q_OBJECT
public:
    // held: what waits while the repair runs; displayErrors: the option that
    // shows each bad line as it is found.
    ListRepairCommand(ProjectListDocument& document, ListFileGuard& guard, CommandHost& host, QWidget& window,
                      std::vector<QAction*> heldCommands, std::vector<QWidget*> heldPanels,
                      const QAbstractButton& displayErrors, QObject* parent = nullptr);

    // True when it read the list file and left the list in memory as the
    // file is now: no faults found, or the repaired list saved. A failed
    // save throws.
    bool run();
    bool running() const { return running_; }
    // A close asked for while the repair runs: put off until it ended.
    bool deferClose(QCloseEvent* event);

private:
    ProjectListDocument& document_;
    ListFileGuard& guard_;
    CommandHost& host_;
    QWidget& window_;
    std::vector<QAction*> heldCommands_;
    std::vector<QWidget*> heldPanels_;
    const QAbstractButton& displayErrors_;
    bool running_ = false;
    bool closeAfterwards_ = false;
};
