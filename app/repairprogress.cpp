#include "app/repairprogress.h"

#include "common/apptitle.h"
#include "common/dialogs.h"
#include "common/displaytext.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QProgressDialog>

namespace {
// The progress bar counts in steps of this many lines, so that a list of
// more lines than an int holds still fits.
constexpr std::size_t progressSteps = 1000;
} // namespace

RepairProgress::RepairProgress(QWidget* window, Dialogs& dialogs, const QAbstractButton* displayErrors,
                               const bool& stop)
    : window_(window), dialogs_(dialogs), displayErrors_(displayErrors), stop_(stop)
{
    running_.start();
}

RepairProgress::~RepairProgress() = default;

bool RepairProgress::showsBadLines() const
{
    return displayErrors_ && displayErrors_->isChecked();
}

void RepairProgress::showBadLine(std::string_view line)
{
    dialogs_.showMessage(QCoreApplication::translate("RepairProgress", "error in line %1").arg(displayText(line, lineCoding(line))));
}

void RepairProgress::keepAlive(std::size_t done, std::size_t total)
{
    if (progress_ || running_.elapsed() >= momentMilliseconds)
        showProgress(done, total);
    QCoreApplication::processEvents();
}

void RepairProgress::showProgress(std::size_t done, std::size_t total)
{
    if (!progress_) {
        // Not modal: the window stays free to be closed, which ends the repair.
        progress_ = std::make_unique<QProgressDialog>(window_);
        progress_->setWindowTitle(applicationTitle());
        progress_->setLabelText(QCoreApplication::translate("RepairProgress", "Fixing list format errors"));
        progress_->setCancelButton(nullptr);
        progress_->setRange(0, int(progressSteps));
        progress_->setMinimumDuration(0);
        progress_->setAutoClose(false);
        progress_->setAutoReset(false);
        progress_->show();
    }
    const std::size_t step = total == 0 ? progressSteps : done * progressSteps / total;
    progress_->setValue(int(step));
}
