#pragma once
// The popup text file inside the help file: ".topic N" lines, each followed
// by the text of popup N up to the next ".topic" line.
#include <QByteArray>
#include <QHash>
#include <QString>

QHash<quint32, QString> parsePopupTexts(const QByteArray& fileData);
