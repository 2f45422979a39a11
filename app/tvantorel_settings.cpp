// Reading the options at start-up and writing them at close.
#include "app/tvantorel.h"

#include "ui_optionspages.h"
#include "ui_tvantorel.h"

#include "app/optionspages.h"
#include "app/recentlistsmenu.h"
#include "app/windowhost.h"
#include "app/windowwiring.h"

#include "common/dialogs.h"
#include "common/displaytext.h"
#include "app/settingsstore.h"
#include "document/projectlistdocument.h"

void loadSettings(WindowParts& parts)
{
    SettingsStore store;
    // The defaults are read from a store that cannot be used; the user hears
    // why, and start-up goes on.
    if (store.tooLarge())
        parts.host->dialogs().showMessage(store.tooLargeMessage());
    else if (!store.usable())
        parts.host->dialogs().showError(SettingsStore::unusableMessage());
    // First: a value below that stops the reading must not cost the recent
    // lists, which the close writes back.
    parts.recentLists->read(store);
    // The file name's own bytes, whatever its encoding. A file named on the
    // command line takes the stored one's place; either is set once.
    const std::string stored = store.readBytes(QStringLiteral("Current"), "Projects.txt");
    parts.document->setCurrentListFile(parts.startupListFile ? *parts.startupListFile : stored);
    parts.optionsPanel->form().DisplayAllErrors->setChecked(store.readBool(QStringLiteral("Disp errors"), false));
    parts.optionsPanel->form().MaximiseApp->setChecked(store.readBool(QStringLiteral("Maximise"), false));
    parts.optionsPanel->form().Autofix->setChecked(store.readBool(QStringLiteral("Auto Fix"), false));
    parts.optionsPanel->form().Allowduplicates->setChecked(store.readBool(QStringLiteral("Allow"), false));
    parts.optionsPanel->form().LastPage->setChecked(store.readBool(QStringLiteral("Last Page"), false));
    parts.optionsPanel->form().JumptoLast->setChecked(store.readBool(QStringLiteral("Last"), true));
    parts.optionsPanel->form().Just->setItemIndex(qBound(-1, store.readInteger(QStringLiteral("Just"), 0), 1));
    // The spacing control takes 1 to 300; a stored value outside is brought in.
    const int space = qBound(1, store.readInteger(QStringLiteral("Space"), 60), 300);
    parts.optionsPanel->form().Vspace->setPosition(space);
    parts.optionsPanel->form().Spacing->setText(QString::number(space));
}

void saveSettings(const TVantorel& window, const WindowParts& parts)
{
    SettingsStore store;
    store.writeBytes(QStringLiteral("Current"), parts.document->currentListFile());
    store.writeBool(QStringLiteral("Disp Errors"), parts.optionsPanel->form().DisplayAllErrors->isChecked());
    store.writeBool(QStringLiteral("Maximise"), parts.optionsPanel->form().MaximiseApp->isChecked());
    store.writeBool(QStringLiteral("Auto Fix"), parts.optionsPanel->form().Autofix->isChecked());
    store.writeBool(QStringLiteral("Allow"), parts.optionsPanel->form().Allowduplicates->isChecked());
    store.writeBool(QStringLiteral("Last Page"), parts.optionsPanel->form().LastPage->isChecked());
    store.writeBool(QStringLiteral("Last"), parts.optionsPanel->form().JumptoLast->isChecked());
    store.writeInteger(QStringLiteral("Space"), static_cast<qint16>(parts.optionsPanel->form().Vspace->position()));
    store.writeInteger(QStringLiteral("Just"), parts.optionsPanel->form().Just->itemIndex());
    parts.recentLists->write(store);
    writeWindowPlace(window, parts, store);
}
