#include "app/listrepaircommand.h"

#include "app/commandlock.h"
#include "app/listfileguard.h"
#include "app/repairprogress.h"
#include "common/commandhost.h"
#include "common/dialogs.h"
#include "document/projectlistdocument.h"
#include "listfile/listfileerror.h"
#include "listfile/listrepair.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QTimer>
#include <QWidget>

namespace {

QString repairReport(const RepairCounts& counts)
{
    return QCoreApplication::translate("TVantorel", "%1 Blank lines were deleted from the Project List\r"
                                                    "%2 Format errors were fixed\r"
                                                    "Click Yes to save changes")
        .arg(counts.blankLines)
        .arg(counts.rebuiltLines);
}

} // namespace

ListRepairCommand::ListRepairCommand(ProjectListDocument& document, ListFileGuard& guard, CommandHost& host,
                                     QWidget& window, std::vector<QAction*> heldCommands,
                                     std::vector<QWidget*> heldPanels, const QAbstractButton& displayErrors,
                                     QObject* parent)
    : QObject(parent), document_(document), guard_(guard), host_(host), window_(window),
      heldCommands_(std::move(heldCommands)), heldPanels_(std::move(heldPanels)), displayErrors_(displayErrors)
{
}

bool ListRepairCommand::run()
{
    // The repair lets events through; it must not start again from one.
    if (running_)
        return false;
    // The repair reads the file afresh: projects applied and not saved would go.
    if (!guard_.settleUnsavedChanges())
        return false;

    // Marks the repair as running for as long as it lasts, with the held
    // commands disabled, and closes the window afterwards if that was asked
    // for meanwhile.
    struct Running {
        ListRepairCommand& repair;
        CommandLock lock;
        explicit Running(ListRepairCommand& r) : repair(r), lock(r.heldCommands_, r.heldPanels_)
        {
            repair.running_ = true;
            repair.closeAfterwards_ = false;
        }
        ~Running()
        {
            repair.running_ = false;
            if (repair.closeAfterwards_)
                QTimer::singleShot(0, &repair.window_, [w = &repair.window_] { w->close(); });
        }
    } running(*this);

    RepairCounts counts;
    Dialogs& dialogs = host_.dialogs();
    try {
        RepairProgress progress(&window_, dialogs, &displayErrors_, closeAfterwards_);
        counts = document_.repair(progress);
    } catch (const UneditableListFile&) {
        // Not a list at all: said as such by the caller, not as a failed load.
        throw;
    } catch (const ListFileError&) {
        dialogs.showMessage(QCoreApplication::translate("TVantorel", "Unable to load Project List"));
        return false;
    }
    if (counts.cancelled)
        return false;

    if (!counts.anyFault()) {
        dialogs.showMessage(QCoreApplication::translate("TVantorel", "There were no Errors"));
        return true;
    }
    const MessageButton answer =
        dialogs.ask(MessageKind::Information, repairReport(counts), {MessageButton::Yes, MessageButton::No});
    if (answer != MessageButton::Yes)
        return false;
    // A failed save ends here with "Cannot create file ..." for the caller to
    // report; the view is then not refreshed. Saved, the view follows.
    return guard_.saveList();
}

bool ListRepairCommand::deferClose(QCloseEvent* event)
{
    if (!running_)
        return false;
    closeAfterwards_ = true;
    event->ignore();
    return true;
}
