#include "testlists.h"

#include "app/projectlistmodel.h"
#include "app/tvantorel.h"
#include "document/projectlistdocument.h"

QStringList numberedProjects(int count, const QString& describe, int first, int step)
{
    QStringList lines;
    for (int k = 1; k <= count; ++k) {
        const int number = first + (k - 1) * step;
        QString description = describe;
        description.replace(QStringLiteral("%1"), QString::number(number)).replace(QStringLiteral("%2"), QString::number(k));
        lines << QStringLiteral("%1     %2").arg(number, 3, 10, QLatin1Char('0')).arg(description);
    }
    return lines;
}

QStringList numberedDescriptions(const QStringList& descriptions)
{
    QStringList lines;
    for (int i = 0; i < descriptions.size(); ++i)
        lines << QStringLiteral("%1     %2").arg(i + 1, 3, 10, QLatin1Char('0')).arg(descriptions[i]);
    return lines;
}

QStringList linesInMemory(const TVantorel& window)
{
    QStringList out;
    for (std::string_view line : window.document().lines())
        out << QString::fromLocal8Bit(line.data(), static_cast<qsizetype>(line.size()));
    return out;
}

QStringList captionsShown(const TVantorel& window)
{
    QStringList out;
    for (int row = 0; row < window.parts().listModel->count(); ++row)
        out << window.parts().listModel->captionText(row);
    return out;
}
