#include "testenvironment.h"

#include "scripteddialogs.h"
#include "app/tvantorel.h"

#include <QDir>
#include <QFile>
#include <QSettings>

TestEnvironment::TestEnvironment() : previousState_(qgetenv("XDG_STATE_HOME")), previousDir_(QDir::currentPath())
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config_.path());
    qputenv("XDG_STATE_HOME", state_.path().toLocal8Bit());
    QDir::setCurrent(work_.path());
}

TestEnvironment::~TestEnvironment()
{
    QDir::setCurrent(previousDir_);
    qputenv("XDG_STATE_HOME", previousState_);
}

QString TestEnvironment::path(const QString& name) const
{
    return work_.filePath(name);
}

void TestEnvironment::writeFile(const QString& name, const QByteArray& bytes) const
{
    QFile f(path(name));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write test file");
    f.write(bytes);
}

QByteArray TestEnvironment::readFile(const QString& name) const
{
    QFile f(path(name));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

QByteArray TestEnvironment::listBytes(const QStringList& lines)
{
    QByteArray out;
    for (const QString& line : lines)
        out += line.toLocal8Bit() + "\r\n";
    return out;
}

QString TestEnvironment::settingsFile() const
{
    return config_.filePath(QStringLiteral("Corvane/Vantorel.conf"));
}

void TestEnvironment::writeSettings(const QString& iniText) const
{
    QDir(config_.path()).mkpath(QStringLiteral("Corvane"));
    QFile f(settingsFile());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write settings");
    f.write(iniText.toUtf8());
}

QString TestEnvironment::settingsValue(const QString& name) const
{
    QSettings s(settingsFile(), QSettings::IniFormat);
    return s.value(name).toString();
}

std::unique_ptr<TVantorel> startMainWindow(ScriptedDialogs& dialogs, bool activate)
{
    auto window = std::make_unique<TVantorel>(nullptr, &dialogs);
    if (activate)
        window->FormActivate();
    return window;
}
