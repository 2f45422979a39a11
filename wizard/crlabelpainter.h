#pragma once
// Draws a label's text with each CR as a line break. Page 3's messages hold a
// CR, as every message of the program does, and a plain label would draw it
// as a blank; the label's text itself stays exactly the message.
#include <QObject>

class QLabel;

class CrLabelPainter : public QObject {
    Q_OBJECT
public:
    // Paints label from now on; owned by the label.
    static void install(QLabel* label);
    // Gives label at least the room its text takes with each CR as a line
    // break, in the label's font; call after each change of its text.
    static void fitToText(QLabel* label);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit CrLabelPainter(QLabel* label);
};
