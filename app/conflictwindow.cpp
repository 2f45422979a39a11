#include "app/conflictwindow.h"

#include "common/apptitle.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Column { NumberColumn, TheirsColumn, MineColumn, ChoiceColumn };

QTableWidgetItem* readOnlyItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setToolTip(text);
    return item;
}

} // namespace

ConflictWindow::ConflictWindow(const QString& text, const QList<ConflictRow>& rows, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ConflictWindow"));
    setWindowTitle(applicationTitle());
    auto* layout = new QVBoxLayout(this);

    // A CR in a message is a line break.
    auto* explanation = new QLabel(QString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')), this);
    explanation->setObjectName(QStringLiteral("ConflictText"));
    explanation->setTextFormat(Qt::PlainText);
    explanation->setWordWrap(true);
    layout->addWidget(explanation);

    auto* allRow = new QHBoxLayout;
    auto* allLabel = new QLabel(tr("For &all projects:"), this);
    forAll_ = choiceBox(this);
    forAll_->setObjectName(QStringLiteral("ConflictDefault"));
    allLabel->setBuddy(forAll_);
    allRow->addWidget(allLabel);
    allRow->addWidget(forAll_);
    allRow->addStretch(1);
    layout->addLayout(allRow);

    table_ = new QTableWidget(int(rows.size()), 4, this);
    table_->setObjectName(QStringLiteral("ConflictTable"));
    table_->setHorizontalHeaderLabels({tr("Num"), tr("Theirs"), tr("Mine"), tr("Keep")});
    table_->verticalHeader()->setVisible(false);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setWordWrap(false);
    for (int row = 0; row < rows.size(); ++row) {
        table_->setItem(row, NumberColumn, readOnlyItem(rows[row].number));
        table_->setItem(row, TheirsColumn, readOnlyItem(rows[row].theirs));
        table_->setItem(row, MineColumn, readOnlyItem(rows[row].mine));
        QComboBox* choice = choiceBox(table_);
        choice->setAccessibleName(tr("Keep for project %1").arg(rows[row].number));
        table_->setCellWidget(row, ChoiceColumn, choice);
        choices_.append(choice);
    }
    QHeaderView* header = table_->horizontalHeader();
    header->setSectionResizeMode(NumberColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(TheirsColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(MineColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(ChoiceColumn, QHeaderView::ResizeToContents);
    layout->addWidget(table_, 1);
    connect(forAll_, qOverload<int>(&QComboBox::activated), this, &ConflictWindow::setAll);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ConflictOk"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("ConflictCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    // Room for both texts beside the choice at any font size, within the screen.
    const QFontMetrics metrics(font());
    const int wanted = 2 * 36 * metrics.averageCharWidth() + forAll_->sizeHint().width()
        + metrics.horizontalAdvance(QStringLiteral("0000")) + 8 * layout->contentsMargins().left();
    const int tall = (int(rows.size()) + 8) * (metrics.height() + 12);
    const QRect available = screen() ? screen()->availableGeometry() : QRect(0, 0, 1280, 900);
    resize(std::min(std::max(720, wanted), available.width() * 9 / 10),
           std::min(std::max(360, tall), available.height() * 9 / 10));
}

QComboBox* ConflictWindow::choiceBox(QWidget* parent) const
{
    auto* box = new QComboBox(parent);
    // In the order of ConflictAnswer.
    box->addItems({tr("Theirs"), tr("Mine"), tr("Both (mine under a new number)")});
    return box;
}

void ConflictWindow::setAll(int choice)
{
    for (QComboBox* box : choices_)
        box->setCurrentIndex(choice);
}

QList<ConflictAnswer> ConflictWindow::answers() const
{
    QList<ConflictAnswer> out;
    for (const QComboBox* box : choices_)
        out.append(ConflictAnswer(box->currentIndex()));
    return out;
}
