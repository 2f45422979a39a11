#pragma once
// A private folder for one test of the list document: the files the test
// writes, and the user's state folder (journals of unsaved changes, merge
// bases) inside it, so that nothing lands in the tester's own. The state
// folder named before comes back when the folder goes, unless a later one
// (the next test's) was named meanwhile.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>
#include <string>

class DocumentFolder {
public:
    DocumentFolder()
        : stateWasSet_(qEnvironmentVariableIsSet("XDG_STATE_HOME")), previousState_(qgetenv("XDG_STATE_HOME"))
    {
        qputenv("XDG_STATE_HOME", folder_.filePath(QStringLiteral("state")).toLocal8Bit());
    }
    ~DocumentFolder()
    {
        if (qgetenv("XDG_STATE_HOME") != stateFolder().toLocal8Bit())
            return;
        if (stateWasSet_)
            qputenv("XDG_STATE_HOME", previousState_);
        else
            qunsetenv("XDG_STATE_HOME");
    }
    DocumentFolder(const DocumentFolder&) = delete;
    DocumentFolder& operator=(const DocumentFolder&) = delete;

    bool isValid() const { return folder_.isValid(); }
    QString path() const { return folder_.path(); }
    QString filePath(const QString& name) const { return folder_.filePath(name); }
    QString stateFolder() const { return folder_.filePath(QStringLiteral("state")); }

    // Writes bytes as the file name in the folder; returns its path.
    std::string write(const QString& name, const QByteArray& bytes) const
    {
        const QString path = filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path.toStdString();
    }
    // The bytes of the file at path; none when it cannot be read.
    static QByteArray read(const std::string& path)
    {
        QFile file(QString::fromStdString(path));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir folder_;
    bool stateWasSet_;
    QByteArray previousState_;
};
