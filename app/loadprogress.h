#pragma once
// What the user sees of a long list load: after a second, a progress dialog
// with Cancel over the window, and the window repainting meanwhile. Cancel
// stops the read; the list and the file in use stay as they were.
#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <memory>

class QProgressDialog;
class QWidget;

class LoadProgress {
public:
    LoadProgress(QWidget* window, QString text);
    ~LoadProgress();
    LoadProgress(const LoadProgress&) = delete;
    LoadProgress& operator=(const LoadProgress&) = delete;

    // A ReadProgress: false once the user cancelled.
    bool operator()(std::uint64_t done, std::uint64_t total);

    // How long a load runs before the dialog appears; tests make it 0.
    static int momentMilliseconds;

private:
    QPointer<QWidget> window_;
    QString text_;
    QElapsedTimer running_;
    std::unique_ptr<QProgressDialog> progress_;
};
