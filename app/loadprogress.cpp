#include "app/loadprogress.h"

#include "common/apptitle.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace {
// The bar counts in steps, so that any file size fits an int.
constexpr int progressSteps = 1000;
} // namespace

int LoadProgress::momentMilliseconds = 1000;

LoadProgress::LoadProgress(QWidget* window, QString text) : window_(window), text_(std::move(text))
{
    running_.start();
}

LoadProgress::~LoadProgress() = default;

bool LoadProgress::operator()(std::uint64_t done, std::uint64_t total)
{
    if (!progress_) {
        // A short load shows nothing and lets no event in: nothing else can
        // start half way through it.
        if (running_.elapsed() < momentMilliseconds)
            return true;
        progress_ = std::make_unique<QProgressDialog>(window_);
        progress_->setObjectName(QStringLiteral("LoadProgress"));
        progress_->setWindowTitle(applicationTitle());
        progress_->setLabelText(text_);
        progress_->setCancelButtonText(QCoreApplication::translate("LoadProgress", "Cancel"));
        // Modal: the window's commands wait until the list is read.
        progress_->setWindowModality(Qt::WindowModal);
        progress_->setRange(0, progressSteps);
        progress_->setMinimumDuration(0);
        progress_->setAutoClose(false);
        progress_->setAutoReset(false);
        progress_->show();
    }
    progress_->setValue(total == 0 ? progressSteps : int(done * progressSteps / total));
    QCoreApplication::processEvents();
    return !progress_->wasCanceled();
}
