#include "help/popuptexts.h"

#include <QRegularExpression>
#include <QStringList>

QHash<quint32, QString> parsePopupTexts(const QByteArray& fileData)
{
    QHash<quint32, QString> texts;
    const QString all = QString::fromUtf8(fileData);
    const QStringList lines = all.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    bool haveTopic = false;
    quint32 topic = 0;
    QStringList body;
    auto finish = [&] {
        if (haveTopic)
            texts.insert(topic, body.join(QLatin1Char('\n')).trimmed());
        body.clear();
    };
    for (const QString& line : lines) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1String(".topic"), Qt::CaseInsensitive)) {
            finish();
            bool ok = false;
            const qint64 number = trimmed.mid(6).trimmed().toLongLong(&ok);
            // A topic without a usable number swallows its text.
            haveTopic = ok && number > 0 && number <= 0xFFFFFFFFLL;
            topic = quint32(number);
            continue;
        }
        body << line;
    }
    finish();
    return texts;
}
