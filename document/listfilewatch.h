#pragma once
// Watches the list file in use and its folder, and says when either changed.
// The file system's events (or, where they do not come, a look at the file
// and its folder every few seconds) start a short settle delay, since editors
// write in several steps; once it runs out the file is compared with the
// owner's stamp of what it last read or wrote, and each new state of the file
// differing from that is reported once. A file the owner
// just read or wrote raises no event of its own: it is told settled once, in
// the next turn of the event loop. It keeps what it last polled, reported
// and settled; nothing else of the list.
#include <QObject>
#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "document/listfilestamp.h"

class QFileSystemWatcher;
class QTimer;

// How changes of the list file on disk are noticed. Automatic: the file
// system's events, and on a network file system (whose other machines raise
// no events here) a look at the file and its folder every few seconds too.
// PollingOnly: only the look, as on a share that raises no events at all.
enum class ChangeDetection { Automatic, PollingOnly };

class ListFileWatch : public QObject {
    Q_OBJECT
public:
    // known is the owner's stamp of the file as it last read or wrote it,
    // asked for afresh at each look (a comparison may update it).
    explicit ListFileWatch(std::function<ListFileStamp&()> known, QObject* parent = nullptr);
    ~ListFileWatch() override;

    // Watches path (none when empty) anew, as the owner just read or wrote
    // it: the next state differing from that is reported, even one told before.
    void watch(const std::string& path);

    void setChangeDetection(ChangeDetection detection, std::chrono::milliseconds pollInterval);
    // Whether the file is being looked at every poll interval.
    bool polls() const;

signals:
    // The file changed on disk (or was deleted): once for each new state.
    void changedOnDisk();
    // Files came or went in the file's folder.
    void folderChanged();
    // The file on disk is what the owner last read or wrote, in a state not
    // told before.
    void settled();

private:
    void rewatch();
    void poll();
    void checkAfterNotice();

    std::function<ListFileStamp&()> known_;
    std::string path_;
    QFileSystemWatcher* watcher_ = nullptr;
    QTimer* settleDelay_ = nullptr;
    // The state of the file last reported by changedOnDisk.
    std::optional<FileIdentity> reported_;
    // The state of the file last told by settled.
    FileIdentity settled_;
    ChangeDetection detection_ = ChangeDetection::Automatic;
    QTimer* poll_ = nullptr;
    // The file and its folder as the last look found them.
    FileIdentity polledFile_;
    FileIdentity polledFolder_;
    bool folderNoticed_ = false;
};
