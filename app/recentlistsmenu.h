#pragma once
// The list files used last, at the end of the File menu after a line, kept
// in the settings store. Like Load, the entries wait while Load is disabled
// (a repair runs). Choosing one asks for it to be opened as Load does; one
// that is gone is said so and no longer offered.
#include <QList>
#include <QObject>
#include <QStringList>
#include <string>

class CommandHost;
class QAction;
class QMenu;
class SettingsStore;

class RecentListsMenu : public QObject {
    Q_OBJECT
public:
    // The entries follow fileMenu's end and load's enabled state.
    RecentListsMenu(QMenu& fileMenu, QAction& load, CommandHost& host, QObject* parent = nullptr);

    // Newest first, each an absolute path.
    const QStringList& lists() const { return lists_; }
    // A list file read or written: first among the recent lists.
    void remember(const std::string& path);
    void read(SettingsStore& store);
    void write(SettingsStore& store) const;

signals:
    // The user chose the entry of path, which exists.
    void openRequested(const QString& path);

private:
    void show();
    void open(const QString& path);

    QMenu& menu_;
    QAction& load_;
    CommandHost& host_;
    QStringList lists_;
    QList<QAction*> entries_;
    QAction* separator_ = nullptr;
};
