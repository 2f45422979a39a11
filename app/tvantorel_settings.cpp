// Reading the options at start-up and writing them at close.
#include "app/tvantorel.h"

#include "ui_optionspages.h"
#include "ui_tvantorel.h"

#include "app/optionspages.h"
#include "app/recentlistsmenu.h"

#include "common/displaytext.h"
#include "app/settingsstore.h"
#include "document/projectlistdocument.h"

void TVantorel::LoadSettings()
{
    SettingsStore store;
    // The defaults are read from a store that cannot be used; the user hears
    // why, and start-up goes on.
    if (store.tooLarge())
        dialogs().showMessage(store.tooLargeMessage());
    else if (!store.usable())
        dialogs().showError(SettingsStore::unusableMessage());
    // First: a value below that stops the reading must not cost the recent
    // lists, which the close writes back.
    recentLists_->read(store);
    // The file name's own bytes, whatever its encoding. A file named on the
    // command line takes the stored one's place; either is set once.
    const std::string stored = store.readBytes(QStringLiteral("Current"), "Projects.txt");
    document_->setCurrentListFile(startupListFile_ ? *startupListFile_ : stored);
    optionsPanel_->form().DisplayAllErrors->setChecked(store.readBool(QStringLiteral("Disp errors"), false));
    optionsPanel_->form().MaximiseApp->setChecked(store.readBool(QStringLiteral("Maximise"), false));
    optionsPanel_->form().Autofix->setChecked(store.readBool(QStringLiteral("Auto Fix"), false));
    optionsPanel_->form().Allowduplicates->setChecked(store.readBool(QStringLiteral("Allow"), false));
    optionsPanel_->form().LastPage->setChecked(store.readBool(QStringLiteral("Last Page"), false));
    optionsPanel_->form().JumptoLast->setChecked(store.readBool(QStringLiteral("Last"), true));
    optionsPanel_->form().Just->setItemIndex(qBound(-1, store.readInteger(QStringLiteral("Just"), 0), 1));
    // The spacing control takes 1 to 300; a stored value outside is brought in.
    const int space = qBound(1, store.readInteger(QStringLiteral("Space"), 60), 300);
    optionsPanel_->form().Vspace->setPosition(space);
    optionsPanel_->form().Spacing->setText(QString::number(space));
}

void TVantorel::SaveSettings()
{
    SettingsStore store;
    store.writeBytes(QStringLiteral("Current"), document_->currentListFile());
    store.writeBool(QStringLiteral("Disp Errors"), optionsPanel_->form().DisplayAllErrors->isChecked());
    store.writeBool(QStringLiteral("Maximise"), optionsPanel_->form().MaximiseApp->isChecked());
    store.writeBool(QStringLiteral("Auto Fix"), optionsPanel_->form().Autofix->isChecked());
    store.writeBool(QStringLiteral("Allow"), optionsPanel_->form().Allowduplicates->isChecked());
    store.writeBool(QStringLiteral("Last Page"), optionsPanel_->form().LastPage->isChecked());
    store.writeBool(QStringLiteral("Last"), optionsPanel_->form().JumptoLast->isChecked());
    store.writeInteger(QStringLiteral("Space"), static_cast<qint16>(optionsPanel_->form().Vspace->position()));
    store.writeInteger(QStringLiteral("Just"), optionsPanel_->form().Just->itemIndex());
    recentLists_->write(store);
    writeWindowPlace(store);
}
