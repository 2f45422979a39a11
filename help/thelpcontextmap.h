#pragma once
// The help context map: context numbers stored under component names, read
// from the "[MAP]" section of a help project file and kept as a table of
// (name hash, context) records with the form.
#include "help/helpcontextmap_core.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class THelpContextMap : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString FileName READ FileName WRITE setFileName)
    Q_PROPERTY(QByteArray FileData READ FileData WRITE setFileData)
public:
    explicit THelpContextMap(QObject* owner = nullptr);

    QString FileName() const { return fileName_; }
    // Outside form loading, a non-empty name reads that file's map at once;
    // a missing file throws QuindleError "File <name> not found." and keeps
    // the old name and table. Returns the number of pairs read (-1: none read).
    int setFileName(const QString& name);

    // The stored table, as kept with the form; empty when there is none.
    QByteArray FileData() const;
    void setFileData(const QByteArray& bytes);

    // While set, FileName is only stored (the form is being read).
    void setLoading(bool loading) { loading_ = loading; }
    bool isLoading() const { return loading_; }

    qint32 LookupContext(const QString& name) const;
    static qint32 HashName(const QString& name);
    int count() const { return int(table_.size()); }

private:
    QString fileName_;
    std::vector<helpmap::ContextPair> table_;
    bool loading_ = false;
};
