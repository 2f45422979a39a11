// A list file named on the command line.
#include "app/tvantorel.h"

#include "common/displaytext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

// The file named takes the place of the stored list file at the first
// activation, so it is the one repaired (when set), shown in the status bar,
// loaded, and stored at close; a missing one is reported as Load reports it.
// A relative name is made absolute, as the Load dialog's choice is, so the
// stored path still names the same file from another folder.
void TVantorel::useListFileAtStartup(const QString& path)
{
    parts_.startupListFile = storedBytes(QFileInfo(path).absoluteFilePath());
}

void TVantorel::useListFileAtStartup(const std::string& path)
{
    const QString name = QFile::decodeName(QByteArray::fromStdString(path));
    if (QFile::encodeName(name).toStdString() == path) {
        useListFileAtStartup(name);
        return;
    }
    // A name a QString cannot carry: made absolute by its bytes.
    std::string absolute = path;
    if (absolute.empty() || absolute.front() != '/')
        absolute = QFile::encodeName(QDir::currentPath()).toStdString() + '/' + absolute;
    parts_.startupListFile = absolute;
}
