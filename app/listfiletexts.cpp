#include "app/listfiletexts.h"

#include <QCoreApplication>

// The list store reports in English; its messages are put in the user's
// language where they are shown.
QString listFileErrorText(const char* message)
{
    const QString text = QString::fromLocal8Bit(message);
    const char* const withFileName[] = {QT_TRANSLATE_NOOP("TVantorel", "Cannot open file %1"),
                                        QT_TRANSLATE_NOOP("TVantorel", "Cannot create file %1")};
    for (const char* form : withFileName) {
        const QString prefix = QString::fromLatin1(form).chopped(2);
        if (text.startsWith(prefix))
            return QCoreApplication::translate("TVantorel", form).arg(text.mid(prefix.size()));
    }
    if (text == QLatin1String("List index out of bounds (-1)"))
        return QCoreApplication::translate("TVantorel", "List index out of bounds (-1)");
    return text;
}
