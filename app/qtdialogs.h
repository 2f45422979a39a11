#pragma once
// The real dialogs: Qt's standard message boxes and dialogs.
#include "common/dialogs.h"

class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent) : parent_(parent) {}

    void showMessage(const QString& text) override;
    void showError(const QString& text) override;
    MessageButton ask(MessageKind kind, const QString& text,
                      const QList<MessageButton>& buttons) override;
    std::optional<QString> openFileName(const FileDialogOptions& options) override;
    std::optional<QString> inputText(const QString& title, const QString& prompt,
                                     const QString& defaultText) override;
    std::optional<QFont> chooseFont(const QFont& initial) override;
    std::optional<QColor> chooseColour(const QColor& initial) override;
    bool printDialog(QPrinter& printer) override;
    bool printerSetup(QPrinter& printer) override;
    void printPreview(QPrinter& printer, const std::function<void(QPrinter&)>& paint) override;
    int execDialog(QDialog& dialog) override;
    std::optional<QList<ConflictAnswer>> resolveConflicts(const QString& text, const QList<ConflictRow>& rows) override;
    bool waitUntil(const QString& text, const std::function<bool()>& finished) override;

    // "Ardlow Project File [*.txt]|*.txt" becomes Qt's "Ardlow Project File [*.txt] (*.txt)".
    static QString qtFilter(const QString& classicFilter);

private:
    QWidget* parent_;
};
