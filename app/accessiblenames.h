#pragma once
// Names for assistive technology (screen readers, the desktop's
// accessibility tree): every control, toolbar button and panel of a window
// gets one, from its caption, its hint or what it holds.
class QWidget;
class QLabel;
class QString;

// Names what the window's controls do not name themselves: toolbar buttons
// by their hints, boxes and panels without a caption by what they are for.
void nameControlsForAssistiveTools(QWidget* window);

// A status bar panel reads as its purpose followed by what it shows, also
// while it shows nothing. Set before the panel gets its first text: Qt keeps
// the reading it made then.
void setStatusPanelPurpose(QLabel* panel, const QString& purpose);
