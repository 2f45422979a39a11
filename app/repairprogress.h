#pragma once
// What the user sees of a running list repair: each bad line when the option
// asks for it, a progress dialog once the repair has taken more than a moment,
// and a window that keeps repainting and answering because pending events are
// handled a few times a second.
#include "listfile/listrepair.h"

#include <QElapsedTimer>
#include <QPointer>
#include <memory>

class Dialogs;
class QAbstractButton;
class QProgressDialog;
class QWidget;

class RepairProgress : public RepairObserver {
public:
    // displayErrors: the option read at each bad line. stop: becomes true when
    // the repair must end without changing anything (the window is closing).
    RepairProgress(QWidget* window, Dialogs& dialogs, const QAbstractButton* displayErrors, const bool& stop);
    ~RepairProgress() override;

    bool showsBadLines() const override;
    void showBadLine(std::string_view line) override;
    void keepAlive(std::size_t done, std::size_t total) override;
    bool cancelled() const override { return stop_; }

    // How long a repair runs before the progress dialog appears.
    static constexpr int momentMilliseconds = 500;

private:
    void showProgress(std::size_t done, std::size_t total);

    QPointer<QWidget> window_;
    Dialogs& dialogs_;
    QPointer<const QAbstractButton> displayErrors_;
    const bool& stop_;
    QElapsedTimer running_;
    std::unique_ptr<QProgressDialog> progress_;
};
