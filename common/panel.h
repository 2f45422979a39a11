#pragma once
// What the wizard pages and the options pages have in common as panels over
// the list view: an opaque background from the palette (light or dark), so
// nothing of the list shows through.
#include <QWidget>

void makeOpaquePanel(QWidget& panel);

class QLineEdit;
class QPlainTextEdit;

// Room for text of the width of sample in edit's font: exactly that room for
// a number box (fixed), at least that room otherwise.
enum class TextBoxWidth { AtLeast, Fixed };
void fitWidthToText(QLineEdit& edit, const QString& sample, TextBoxWidth width = TextBoxWidth::AtLeast);
// Room for the whole text of a read-only memo, line for line, in its font.
void fitToText(QPlainTextEdit& memo);
