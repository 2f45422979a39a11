#include "common/apptitle.h"

#include <QCoreApplication>
#include <QFileInfo>

QString titleFromExecutableName(const QString& fileName)
{
    QString base = QFileInfo(fileName).completeBaseName();
    if (base.isEmpty())
        return base;
    return base.left(1).toUpper() + base.mid(1).toLower();
}

QString applicationTitle()
{
    return titleFromExecutableName(QCoreApplication::applicationFilePath());
}
