#pragma once
// The HTML help viewer's single entry point, HtmlHelpApi(owner, file,
// command, data), and the on-demand load of the viewer behind it. The viewer
// is the Qt Help viewer (QtHelpViewer) unless a test installs another loader.
#include "help/htmlhelpviewer.h"

#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

class QWidget;

// Makes the viewer; returns nothing when no viewer can be had.
using HtmlHelpLoader = std::function<std::unique_ptr<HtmlHelpViewer>()>;

// Replaces the loader (empty: the Qt Help viewer) and drops a loaded viewer.
void setHtmlHelpLoader(HtmlHelpLoader loader);
// Loads the viewer, only while none is held; failures are swallowed and
// leave none held, so the next request tries again.
void LoadHtmlHelp();
bool HtmlHelpLoaded();
// Releases the viewer and its windows.
void FreeHtmlHelp();
// True when the real viewer is used rather than one a test put in its place.
bool HtmlHelpDefaultLoader();
// The held viewer, or null.
HtmlHelpViewer* loadedHtmlHelpViewer();

// 0 when no viewer is loaded.
quintptr HtmlHelpApi(QWidget* owner, const QString& file, int command, const QVariant& data);
