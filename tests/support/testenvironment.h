#pragma once
// A private working folder and settings store for one GUI test: the main
// window reads "Projects.txt" from the working directory and its options
// from the per-user store, so each test gets fresh ones.
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

class TVantorel;
class ScriptedDialogs;

class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();

    QString path(const QString& name) const;
    // Writes raw bytes to a file in the working folder.
    void writeFile(const QString& name, const QByteArray& bytes) const;
    QByteArray readFile(const QString& name) const;
    // Lines joined with CR LF, each line ended.
    static QByteArray listBytes(const QStringList& lines);

    // The settings file of the store, and its values as text.
    QString settingsFile() const;
    void writeSettings(const QString& iniText) const;
    QString settingsValue(const QString& name) const;

    QString workFolder() const { return work_.path(); }
    QString stateFolder() const { return state_.path(); }

private:
    QTemporaryDir work_;
    QTemporaryDir config_;
    // Journals of unsaved changes go here, not to the tester's own.
    QTemporaryDir state_;
    QByteArray previousState_;
    QString previousDir_;
};

// Builds the real main window with scripted dialogs and runs its first activation.
std::unique_ptr<TVantorel> startMainWindow(ScriptedDialogs& dialogs, bool activate = true);
