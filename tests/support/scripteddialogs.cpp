#include "scripteddialogs.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QThread>

namespace {
template <typename T>
T takeOr(QList<T>& queue, T fallback)
{
    return queue.isEmpty() ? fallback : queue.takeFirst();
}
} // namespace

QStringList ScriptedDialogs::texts(const QString& kind) const
{
    QStringList out;
    for (const ShownDialog& s : shown)
        if (kind.isEmpty() || s.kind == kind)
            out << s.text;
    return out;
}

void ScriptedDialogs::showMessage(const QString& text)
{
    shown.append({QStringLiteral("message"), text, MessageKind::Information, {MessageButton::Ok}});
}

void ScriptedDialogs::showError(const QString& text)
{
    shown.append({QStringLiteral("error"), text, MessageKind::Error, {MessageButton::Ok}});
}

MessageButton ScriptedDialogs::ask(MessageKind kind, const QString& text, const QList<MessageButton>& buttons)
{
    shown.append({QStringLiteral("ask"), text, kind, buttons});
    return takeOr(answers, buttons.isEmpty() ? MessageButton::Ok : buttons.last());
}

std::optional<QString> ScriptedDialogs::openFileName(const FileDialogOptions& options)
{
    shown.append({QStringLiteral("open"), options.title, MessageKind::Information, {}});
    fileDialogs.append(options);
    return takeOr(fileNames, std::optional<QString>());
}

std::optional<QString> ScriptedDialogs::inputText(const QString& title, const QString& prompt,
                                                  const QString& defaultText)
{
    shown.append({QStringLiteral("input"), title + QLatin1Char('|') + prompt + QLatin1Char('|') + defaultText,
                  MessageKind::Information, {}});
    return takeOr(inputs, std::optional<QString>());
}

std::optional<QFont> ScriptedDialogs::chooseFont(const QFont& initial)
{
    shown.append({QStringLiteral("font"), initial.family(), MessageKind::Information, {}});
    return takeOr(fonts, std::optional<QFont>());
}

std::optional<QColor> ScriptedDialogs::chooseColour(const QColor& initial)
{
    shown.append({QStringLiteral("colour"), initial.name(), MessageKind::Information, {}});
    return takeOr(colours, std::optional<QColor>());
}

bool ScriptedDialogs::printDialog(QPrinter&)
{
    shown.append({QStringLiteral("print"), QString(), MessageKind::Information, {}});
    return takeOr(printAnswers, false);
}

bool ScriptedDialogs::printerSetup(QPrinter&)
{
    shown.append({QStringLiteral("printersetup"), QString(), MessageKind::Information, {}});
    return takeOr(printerSetupAnswers, false);
}

void ScriptedDialogs::printPreview(QPrinter&, const std::function<void(QPrinter&)>&)
{
    shown.append({QStringLiteral("preview"), QString(), MessageKind::Information, {}});
}

int ScriptedDialogs::execDialog(QDialog& dialog)
{
    shown.append({QStringLiteral("dialog"), dialog.objectName(), MessageKind::Information, {}});
    return takeOr(dialogResults, int(QDialog::Rejected));
}

std::optional<QList<ConflictAnswer>> ScriptedDialogs::resolveConflicts(const QString& text,
                                                                      const QList<ConflictRow>& rows)
{
    shown.append({QStringLiteral("conflicts"), text, MessageKind::Warning, {}});
    conflictWindows.append(rows);
    return takeOr(conflictAnswers, std::optional<QList<ConflictAnswer>>());
}

bool ScriptedDialogs::waitUntil(const QString& text, const std::function<bool()>& finished)
{
    shown.append({QStringLiteral("wait"), text, MessageKind::Information, {MessageButton::Cancel}});
    if (takeOr(waitCancels, false))
        return finished();
    // A test that waits forever is a failure of its own: a minute at most.
    const QDeadlineTimer deadline(60'000);
    while (!finished()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}
