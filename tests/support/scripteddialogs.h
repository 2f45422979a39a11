#pragma once
// Dialogs answered from a script: tests queue the answers before triggering a
// command and read back every text that was shown, in order.
#include "common/dialogs.h"

#include <QList>
#include <QStringList>
#include <optional>

struct ShownDialog {
    QString kind;  // "message", "error", "ask", "open", "input", "font", "colour", "print", "printersetup", "preview", "dialog",
                   // "conflicts", "wait"
    QString text;
    MessageKind messageKind = MessageKind::Information;
    QList<MessageButton> buttons;
};

class ScriptedDialogs : public Dialogs {
public:
    // Answers, used in order; an empty queue gives the "cancel" answer
    // (the last button of a question, no file, no text, no font...).
    QList<MessageButton> answers;
    QList<std::optional<QString>> fileNames;
    QList<std::optional<QString>> inputs;
    QList<std::optional<QFont>> fonts;
    QList<std::optional<QColor>> colours;
    QList<bool> printAnswers;
    QList<bool> printerSetupAnswers;
    QList<int> dialogResults;
    // Answers of the conflict window: one list a showing; none cancels.
    QList<std::optional<QList<ConflictAnswer>>> conflictAnswers;
    // Whether each wait is cancelled at once (true) or waited out (false,
    // the default).
    QList<bool> waitCancels;
    // The rows of each conflict window shown.
    QList<QList<ConflictRow>> conflictWindows;

    // What was shown, in order.
    QList<ShownDialog> shown;
    QList<FileDialogOptions> fileDialogs;

    QStringList texts(const QString& kind = QString()) const;
    QStringList messages() const { return texts(QStringLiteral("message")); }
    QStringList errors() const { return texts(QStringLiteral("error")); }
    void clear() { shown.clear(); fileDialogs.clear(); }

    void showMessage(const QString& text) override;
    void showError(const QString& text) override;
    MessageButton ask(MessageKind kind, const QString& text, const QList<MessageButton>& buttons) override;
    std::optional<QString> openFileName(const FileDialogOptions& options) override;
    std::optional<QString> inputText(const QString& title, const QString& prompt,
                                     const QString& defaultText) override;
    std::optional<QFont> chooseFont(const QFont& initial) override;
    std::optional<QColor> chooseColour(const QColor& initial) override;
    bool printDialog(QPrinter& printer) override;
    bool printerSetup(QPrinter& printer) override;
    // Shown and closed again without painting anything.
    void printPreview(QPrinter& printer, const std::function<void(QPrinter&)>& paint) override;
    int execDialog(QDialog& dialog) override;
    std::optional<QList<ConflictAnswer>> resolveConflicts(const QString& text, const QList<ConflictRow>& rows) override;
    bool waitUntil(const QString& text, const std::function<bool()>& finished) override;
};
