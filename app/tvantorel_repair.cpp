// The list repair commands of the main window.
#include "app/tvantorel.h"

#include "ui_optionspages.h"
#include "ui_tvantorel.h"
#include "ui_wizardpages.h"

#include "wizard/wizardpages.h"

#include "app/optionspages.h"

#include "app/commandlock.h"
#include "document/projectlistdocument.h"
#include "listfile/listfileerror.h"
#include "listfile/listfileio.h"
#include "listfile/listrepair.h"
#include "app/repairprogress.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QTimer>

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

void TVantorel::wireRepair()
{
    connect(ui_->FixErrors1, &QAction::triggered, this, &TVantorel::FixErrors1Click);
    connect(ui_->ListFixBtn, &QAction::triggered, this, &TVantorel::FixErrors1Click);
}

void TVantorel::FixErrors1Click()
{
    runCommand([this] { RepairListFile(); });
}

void TVantorel::RepairListFile()
{
    // The repair lets events through; it must not start again from one.
    if (repairRunning_)
        return;
    // The repair reads the file afresh: projects applied and not saved would go.
    if (!settleUnsavedChanges())
        return;

    // Marks the repair as running for as long as it lasts, with the commands
    // that change the list in memory or the list file in use disabled, and
    // closes the window afterwards if that was asked for meanwhile.
    struct RunningRepair {
        TVantorel& window;
        CommandLock lock;
        explicit RunningRepair(TVantorel& w)
            : window(w),
              lock({w.ui_->Load1, w.ui_->New1, w.ui_->Addproject1, w.ui_->AddBtn, w.ui_->InsertProject1,
                    w.ui_->InsertBtn, w.ui_->EditProject1, w.ui_->EditBtn, w.ui_->RemoveProject1,
                    w.ui_->DeleteBtn, w.ui_->FixErrors1, w.ui_->ListFixBtn},
                   {w.wizardPanel_})
        {
            window.repairRunning_ = true;
            window.closeAfterRepair_ = false;
        }
        ~RunningRepair()
        {
            window.repairRunning_ = false;
            if (window.closeAfterRepair_)
                QTimer::singleShot(0, &window, [w = &window] { w->close(); });
        }
    } running(*this);

    RepairCounts counts;
    try {
        RepairProgress progress(this, *dialogs_, optionsPanel_->form().DisplayAllErrors, closeAfterRepair_);
        counts = document_->repair(progress);
    } catch (const UneditableListFile&) {
        // Not a list at all: said as such by the caller, not as a failed load.
        throw;
    } catch (const ListFileError&) {
        dialogs_->showMessage(tr("Unable to load Project List"));
        return;
    }
    if (counts.cancelled)
        return;

    if (!counts.anyFault()) {
        dialogs_->showMessage(tr("There were no Errors"));
        return;
    }
    const MessageButton answer = dialogs_->ask(MessageKind::Information, repairReport(counts),
                                               {MessageButton::Yes, MessageButton::No});
    if (answer != MessageButton::Yes)
        return;
    // A failed save ends here with "Cannot create file ..." for the caller to
    // report; the view is then not refreshed.
    saveList();
}

bool TVantorel::deferCloseDuringRepair(QCloseEvent* event)
{
    if (!repairRunning_)
        return false;
    closeAfterRepair_ = true;
    event->ignore();
    return true;
}
