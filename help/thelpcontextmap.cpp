#include "help/thelpcontextmap.h"

#include "common/quindleerror.h"

#include <QFileInfo>
#include <fstream>

THelpContextMap::THelpContextMap(QObject* owner) : QObject(owner) {}

int THelpContextMap::setFileName(const QString& name)
{
    int read = -1;
    if (!name.isEmpty() && !loading_) {
        if (!QFileInfo(name).isFile())
            throw QuindleError(tr("File %1 not found.").arg(name));
        std::ifstream in(QFile::encodeName(name).toStdString(), std::ios::binary);
        if (!in)
            throw QuindleError(tr("File %1 not found.").arg(name));
        std::vector<helpmap::ContextPair> pairs = helpmap::ReadMapSection(in);
        helpmap::sortPairs(pairs);
        table_ = std::move(pairs);
        read = count();
    }
    fileName_ = name;
    return read;
}

QByteArray THelpContextMap::FileData() const
{
    if (table_.empty())
        return QByteArray();
    const std::string bytes = helpmap::encodeTable(table_);
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

void THelpContextMap::setFileData(const QByteArray& bytes)
{
    table_ = helpmap::decodeTable(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    // A stored table from elsewhere may not be in order; the lookup needs it.
    helpmap::sortPairs(table_);
}

qint32 THelpContextMap::LookupContext(const QString& name) const
{
    const QByteArray bytes = name.toLocal8Bit();
    return helpmap::LookupContext(table_, std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

qint32 THelpContextMap::HashName(const QString& name)
{
    const QByteArray bytes = name.toLocal8Bit();
    return helpmap::HashName(std::string_view(bytes.constData(), std::size_t(bytes.size())));
}
