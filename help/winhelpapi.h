#pragma once
// The older WinHelp viewer's entry point. There is no such viewer here, so
// it answers 0; tests put a recording entry in its place.
#include <QString>
#include <QVariant>
#include <functional>

class QWidget;

using WinHelpEntry = std::function<bool(QWidget* owner, const QString& file, quint16 command, const QVariant& data)>;

bool WinHelpApi(QWidget* owner, const QString& file, quint16 command, const QVariant& data);
// Replaces the entry (an empty one restores "no viewer"); returns the old one.
WinHelpEntry setWinHelpEntry(WinHelpEntry entry);
