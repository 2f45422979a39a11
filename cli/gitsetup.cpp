#include "cli/gitsetup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace {

const char driverName[] = "quindle";

QString fromBytes(const std::string& bytes)
{
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

// Runs git in folder; the output without its line end, or nothing on failure.
bool runGit(const QString& folder, const QStringList& arguments, QString* output = nullptr)
{
    QProcess git;
    git.setWorkingDirectory(folder);
    git.start(QStringLiteral("git"), arguments);
    if (!git.waitForFinished(30000) || git.exitStatus() != QProcess::NormalExit || git.exitCode() != 0)
        return false;
    if (output)
        *output = QString::fromLocal8Bit(git.readAllStandardOutput()).trimmed();
    return true;
}

// The command line word for text, quoted for the shell git runs the driver with.
std::string shellWord(const std::string& text)
{
    if (text.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/._-+") == std::string::npos)
        return text;
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

} // namespace

std::string gitAttributesPattern(const std::string& relativePath)
{
    const std::string pattern = "/" + relativePath;
    if (pattern.find_first_of(" \t\"\\*?[") == std::string::npos)
        return pattern;
    // A quoted pattern is read with C's escapes; its wildcards are escaped.
    std::string quoted = "\"";
    for (char c : pattern) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        if (c == '*' || c == '?' || c == '[')
            quoted += "\\\\";
        if (c == '\t') {
            quoted += "\\t";
            continue;
        }
        quoted += c;
    }
    return quoted + "\"";
}

GitSetup setUpGitMerge(const std::string& listPath, const std::string& programPath)
{
    GitSetup setup;
    const QFileInfo list(fromBytes(listPath));
    const QString folder = list.absolutePath();
    QString top;
    if (!runGit(folder, {QStringLiteral("rev-parse"), QStringLiteral("--show-toplevel")}, &top) || top.isEmpty()) {
        setup.failure = "The Project List " + listPath + " lies in no git repository (or git cannot be run)";
        return setup;
    }
    const std::string relative =
        QFile::encodeName(QDir(top).relativeFilePath(QFileInfo(list.absoluteFilePath()).canonicalFilePath()))
            .toStdString();
    const std::string line = gitAttributesPattern(relative) + " merge=" + driverName;

    const QString attributesPath = top + QStringLiteral("/.gitattributes");
    QFile attributes(attributesPath);
    QByteArray held;
    if (attributes.exists()) {
        if (!attributes.open(QIODevice::ReadOnly)) {
            setup.failure = "Cannot open file " + QFile::encodeName(attributesPath).toStdString();
            return setup;
        }
        held = attributes.readAll();
        attributes.close();
    }
    const QList<QByteArray> lines = held.split('\n');
    if (!lines.contains(QByteArray::fromStdString(line)) && !lines.contains(QByteArray::fromStdString(line) + '\r')) {
        if (!attributes.open(QIODevice::WriteOnly | QIODevice::Append)
            || (!held.isEmpty() && !held.endsWith('\n') && attributes.write("\n") != 1)
            || attributes.write(QByteArray::fromStdString(line + "\n")) < 0 || !attributes.flush()) {
            setup.failure = "Cannot create file " + QFile::encodeName(attributesPath).toStdString();
            return setup;
        }
        setup.done.push_back(QFile::encodeName(attributesPath).toStdString() + ": " + line);
    }

    const std::string command = shellWord(programPath) + " merge-driver %O %A %B %L %P";
    const QString key = QStringLiteral("merge.%1.driver").arg(QLatin1String(driverName));
    if (!runGit(top, {QStringLiteral("config"), QStringLiteral("merge.%1.name").arg(QLatin1String(driverName)),
                      QStringLiteral("Quindle project list, merged by project number")})
        || !runGit(top, {QStringLiteral("config"), key, QString::fromLocal8Bit(command.c_str())})) {
        setup.failure = "git config could not set " + key.toStdString();
        return setup;
    }
    setup.done.push_back("git config " + key.toStdString() + " \"" + command + "\"");
    return setup;
}
