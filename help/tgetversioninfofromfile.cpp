#include "help/tgetversioninfofromfile.h"

#include "help/versionresources.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <vector>

using namespace versionresources;

TGetVersionInfoFromFile::TGetVersionInfoFromFile(QObject* parent) : QObject(parent) {}

const QStringList& TGetVersionInfoFromFile::categories()
{
    static const QStringList names = {
        QStringLiteral("CompanyName"),    QStringLiteral("FileDescription"),  QStringLiteral("FileVersion"),
        QStringLiteral("InternalName"),   QStringLiteral("LegalCopyright"),   QStringLiteral("OriginalFilename"),
        QStringLiteral("ProductName"),    QStringLiteral("ProductVersion"),
    };
    return names;
}

void TGetVersionInfoFromFile::setFileName(const QString& name)
{
    versionStrings_.clear();
    versionCategories_.clear();
    const QFileInfo file(name);
    if (name.isEmpty() || !file.exists() || file.isDir()) {
        fileName_.clear();
        return;
    }
    fileName_ = name;
    ReadVersionInfo();
}

void TGetVersionInfoFromFile::ReadVersionInfo()
{
    const QByteArray path = QFile::encodeName(fileName_);
    std::uint32_t handle = 0;
    const std::uint32_t size = GetFileVersionInfoSizeA(path.constData(), &handle);
    if (size == 0)
        return;
    std::vector<char> block(std::size_t(size) + 10, 0);
    if (!GetFileVersionInfoA(path.constData(), handle, size, block.data()))
        return;

    void* value = nullptr;
    std::uint32_t length = 0;
    if (!VerQueryValueA(block.data(), "\\", &value, &length))
        return;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length) || length < 4)
        return;
    const auto* translation = static_cast<const unsigned char*>(value);
    const unsigned language = translation[0] | (translation[1] << 8);
    const unsigned codePage = translation[2] | (translation[3] << 8);
    const auto hex4 = [](unsigned v) { return QString::number(v, 16).toUpper().rightJustified(4, QLatin1Char('0')); };
    const QString table = QStringLiteral("\\StringFileInfo\\") + hex4(language) + hex4(codePage) + QLatin1Char('\\');

    for (const QString& category : categories()) {
        const QByteArray query = (table + category).toLatin1();
        if (!VerQueryValueA(block.data(), query.constData(), &value, &length))
            break;
        if (length == 0)
            continue;
        const char* text = static_cast<const char*>(value);
        versionCategories_ << category;
        versionStrings_ << QString::fromLocal8Bit(text, qsizetype(strnlen(text, length)));
    }
}
