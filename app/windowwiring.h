#pragma once
// How the main window is put together: one function a concern, each building
// its parts into WindowParts and connecting its commands to the window's
// slots, and the helpers of the window's look and keys its events call.
#include "listfile/linelist.h"

class QEvent;
class QObject;
class QPalette;
class QScreen;
class QTableView;
class QToolBar;
class QWidget;
class SettingsStore;
class TVantorel;
struct WindowParts;

// Each subsystem connects its own commands and sets up its own parts.
void wireCommands(TVantorel& window, WindowParts& parts);
void wireSearch(TVantorel& window, WindowParts& parts);
void wirePrinting(TVantorel& window, WindowParts& parts);
void wireWizard(TVantorel& window, WindowParts& parts);
void wireHelp(TVantorel& window, WindowParts& parts);
void wireAbout(TVantorel& window, WindowParts& parts);
void wireListFileGuards(TVantorel& window, WindowParts& parts);
void wireRepair(TVantorel& window, WindowParts& parts);
void wireUndo(TVantorel& window, WindowParts& parts);
void wireKeyboard(TVantorel& window, WindowParts& parts);
void wireRecentLists(TVantorel& window, WindowParts& parts);
void wireCopy(TVantorel& window, WindowParts& parts);

// Reads the options and the recent lists, and sets the list file in use:
// the one named on the command line, else the stored one.
void loadSettings(WindowParts& parts);
void saveSettings(const TVantorel& window, const WindowParts& parts);

// The look: the toolbar's gaps, the status bar's panels, the pictures in the
// colours of the palette.
void buildToolbar(QToolBar& toolbar);
void buildStatusBar(WindowParts& parts, QObject& fontWatcher);
void drawPictures(const WindowParts& parts, const QPalette& palette);
// The list, the pictures and the panels take up a changed palette.
void followPalette(QWidget& window, WindowParts& parts);
// Rows one line of the list view's font high.
void fitRowsToFont(QTableView& view);
// A status bar a line of its font high, the line count wide enough for a million.
void fitStatusBarToFont(const WindowParts& parts);
// Column "Num" as wide as the longest number of lines needs.
void widenNumberColumnFor(QTableView& view, const LineList& lines);
// Places the panels over the list view, each at its own size.
void placePanels(const WindowParts& parts);
// The notice bar over the top of the list, the list below it.
void layOutListArea(const WindowParts& parts);
// Centred on the screen shown on, or on the primary screen, never partly off it.
void centreOnScreen(QWidget& window, QScreen* screen);
// The place and size the window had at the last close; false when there is
// none that fits a screen now.
bool restoreWindowPlace(QWidget& window);
void writeWindowPlace(const QWidget& window, const WindowParts& parts, SettingsStore& store);

// Keys and focus moves of the list and the panels; true when handled.
bool handleKeyboardEvent(const WindowParts& parts, QObject* watched, QEvent* event);
// Ctrl+Z in a line edit with no typing to undo undoes the list's last change.
bool undoKeyGoesToList(const QWidget& window, QObject* watched, QEvent* event);
