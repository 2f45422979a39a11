#include "app/recentlistsmenu.h"

#include "app/recentlists.h"
#include "app/settingsstore.h"
#include "common/commandhost.h"
#include "common/dialogs.h"
#include "common/displaytext.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

namespace {

const QString recentGroup = QStringLiteral("Recent Lists");

QString recentKey(int index)
{
    return QStringLiteral("File%1").arg(index + 1);
}

} // namespace

RecentListsMenu::RecentListsMenu(QMenu& fileMenu, QAction& load, CommandHost& host, QObject* parent)
    : QObject(parent), menu_(fileMenu), load_(load), host_(host), separator_(new QAction(this))
{
    menu_.setToolTipsVisible(true);
    separator_->setSeparator(true);
    for (int i = 0; i < RecentLists::most; ++i) {
        auto* entry = new QAction(this);
        entry->setObjectName(QStringLiteral("RecentList%1").arg(i + 1));
        connect(entry, &QAction::triggered, this, [this, entry] { open(entry->data().toString()); });
        entries_ << entry;
    }
    // Like Load, they wait while a repair runs.
    connect(&load_, &QAction::changed, this, &RecentListsMenu::show);
    show();
}

// The menu ends with as many entries as there are lists, after a line.
void RecentListsMenu::show()
{
    menu_.removeAction(separator_);
    for (QAction* entry : entries_)
        menu_.removeAction(entry);
    if (!lists_.isEmpty())
        menu_.addAction(separator_);
    for (int i = 0; i < lists_.size(); ++i) {
        QAction* entry = entries_[i];
        entry->setText(RecentLists::menuText(i, lists_[i]));
        entry->setToolTip(lists_[i]);
        entry->setData(lists_[i]);
        entry->setEnabled(load_.isEnabled());
        menu_.addAction(entry);
    }
}

void RecentListsMenu::remember(const std::string& path)
{
    const QString shown = displayText(path);
    if (shown.isEmpty())
        return;
    lists_ = RecentLists::withListUsed(lists_, QDir::cleanPath(QFileInfo(shown).absoluteFilePath()));
    show();
}

void RecentListsMenu::open(const QString& path)
{
    // A list that is gone is said so, and no longer offered; the list in use
    // stays what it was.
    if (!QFileInfo::exists(path)) {
        host_.dialogs().showMessage(QCoreApplication::translate("TVantorel", "Cannot find list file %1").arg(path));
        lists_.removeAll(path);
        show();
        return;
    }
    emit openRequested(path);
}

void RecentListsMenu::read(SettingsStore& store)
{
    const QMap<QString, QString> stored = store.readGroup(recentGroup);
    QStringList entries;
    for (int i = 0; i < RecentLists::most; ++i)
        entries << stored.value(recentKey(i));
    lists_ = RecentLists::usableEntries(entries);
    show();
}

void RecentListsMenu::write(SettingsStore& store) const
{
    QMap<QString, QString> values;
    for (int i = 0; i < lists_.size(); ++i)
        values.insert(recentKey(i), lists_[i]);
    store.writeGroup(recentGroup, values);
}
