// Reading the options at start-up and writing them at close.
#include "tvantorel.h"

#include "ui_tvantorel.h"

#include "displaytext.h"
#include "settingsstore.h"

void TVantorel::LoadSettings()
{
    SettingsStore store;
    // The defaults are read from a store that cannot be used; the user hears
    // why, and start-up goes on.
    if (!store.usable())
        dialogs().showError(SettingsStore::unusableMessage());
    const QString current = store.readText(QStringLiteral("Current"), QStringLiteral("Projects.txt"));
    currentListFile_ = storedBytes(current);
    ui_->DisplayAllErrors->setChecked(store.readBool(QStringLiteral("Disp errors"), false));
    ui_->MaximiseApp->setChecked(store.readBool(QStringLiteral("Maximise"), false));
    ui_->Autofix->setChecked(store.readBool(QStringLiteral("Auto Fix"), false));
    ui_->Allowduplicates->setChecked(store.readBool(QStringLiteral("Allow"), false));
    ui_->LastPage->setChecked(store.readBool(QStringLiteral("Last Page"), false));
    ui_->JumptoLast->setChecked(store.readBool(QStringLiteral("Last"), true));
    ui_->Just->setItemIndex(qBound(-1, store.readInteger(QStringLiteral("Just"), 0), 1));
    // The spacing control takes 1 to 300; a stored value outside is brought in.
    const int space = qBound(1, store.readInteger(QStringLiteral("Space"), 60), 300);
    ui_->Vspace->setPosition(space);
    ui_->Spacing->setText(QString::number(space));
}

void TVantorel::SaveSettings()
{
    SettingsStore store;
    store.writeText(QStringLiteral("Current"), displayText(currentListFile_));
    store.writeBool(QStringLiteral("Disp Errors"), ui_->DisplayAllErrors->isChecked());
    store.writeBool(QStringLiteral("Maximise"), ui_->MaximiseApp->isChecked());
    store.writeBool(QStringLiteral("Auto Fix"), ui_->Autofix->isChecked());
    store.writeBool(QStringLiteral("Allow"), ui_->Allowduplicates->isChecked());
    store.writeBool(QStringLiteral("Last Page"), ui_->LastPage->isChecked());
    store.writeBool(QStringLiteral("Last"), ui_->JumptoLast->isChecked());
    store.writeInteger(QStringLiteral("Space"), static_cast<qint16>(ui_->Vspace->position()));
    store.writeInteger(QStringLiteral("Just"), ui_->Just->itemIndex());
}
