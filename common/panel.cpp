#include "common/panel.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTextDocument>

void makeOpaquePanel(QWidget& panel)
{
    panel.setAutoFillBackground(true);
    panel.setBackgroundRole(QPalette::Window);
    panel.setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void fitWidthToText(QLineEdit& edit, const QString& sample, TextBoxWidth width)
{
    QStyleOptionFrame option;
    option.initFrom(&edit);
    const QMargins text = edit.textMargins();
    const QSize contents(edit.fontMetrics().horizontalAdvance(sample) + text.left() + text.right() + 4,
                         edit.fontMetrics().height());
    const int room = edit.style()->sizeFromContents(QStyle::CT_LineEdit, &option, contents, &edit).width();
    if (width == TextBoxWidth::Fixed)
        edit.setFixedWidth(room);
    else
        edit.setMinimumWidth(room);
}

void fitToText(QPlainTextEdit& memo)
{
    memo.setLineWrapMode(QPlainTextEdit::NoWrap);
    const QStringList lines = memo.toPlainText().split(QLatin1Char('\n'));
    int widest = 0;
    for (const QString& line : lines)
        widest = qMax(widest, memo.fontMetrics().horizontalAdvance(line));
    const int margin = int(memo.document()->documentMargin()) * 2 + memo.frameWidth() * 2 + 2;
    memo.setMinimumWidth(widest + margin);
    memo.setFixedHeight(memo.fontMetrics().lineSpacing() * int(lines.size()) + margin);
}
