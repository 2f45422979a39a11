#pragma once
// Reads the version strings of an executable file: setting fileName reads the
// file's version block into VersionStrings, with the name of each entry in
// VersionCategories at the same index. Only the block's first language and
// code page are read, and only the eight categories in categories(), in that
// order; reading stops at the first one the block does not have, and a value
// stored with no characters at all is left out (an empty text is kept).
#include <QObject>
#include <QStringList>

class TGetVersionInfoFromFile : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString fileName READ fileName WRITE setFileName)
    Q_PROPERTY(QStringList VersionStrings READ VersionStrings)
    Q_PROPERTY(QStringList VersionCategories READ VersionCategories)
public:
    explicit TGetVersionInfoFromFile(QObject* parent = nullptr);

    QString fileName() const { return fileName_; }
    // Clears both lists; a file that exists is read at once, any other name
    // leaves fileName empty.
    void setFileName(const QString& name);
    const QStringList& VersionStrings() const { return versionStrings_; }
    const QStringList& VersionCategories() const { return versionCategories_; }

    void ReadVersionInfo();

    static const QStringList& categories();

private:
    QString fileName_;
    QStringList versionStrings_;
    QStringList versionCategories_;
};
