#include "app/finddialog.h"

#include "common/displaytext.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QValidator>
#include <QVBoxLayout>

namespace {

// Cuts a text to whole characters whose stored form fits the byte limit.
QString fittedToByteLimit(const QString& text, int limit)
{
    QString fitted = text;
    while (storedBytes(fitted).size() > static_cast<std::size_t>(limit)) {
        int cut = fitted.size() - 1;
        if (cut > 0 && fitted.at(cut).isLowSurrogate())
            --cut;
        fitted.truncate(cut);
    }
    return fitted;
}

// Keeps the find text within the byte limit however it is entered (typed,
// pasted, dropped), by cutting what does not fit.
class ByteLimitValidator : public QValidator {
public:
    ByteLimitValidator(int limit, QObject* parent) : QValidator(parent), limit_(limit) {}

    State validate(QString& input, int& position) const override
    {
        if (storedBytes(input).size() > static_cast<std::size_t>(limit_)) {
            input = fittedToByteLimit(input, limit_);
            position = std::min(position, int(input.size()));
        }
        return Acceptable;
    }

private:
    int limit_;
};

} // namespace

TFindDialog::TFindDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FindDialog1"));
    setWindowTitle(tr("Find"));
    setModal(false);

    auto* label = new QLabel(tr("Fi&nd what:"), this);
    findText_ = new QLineEdit(this);
    findText_->setObjectName(QStringLiteral("FindText"));
    findText_->setValidator(new ByteLimitValidator(maxFindTextBytes, findText_));
    label->setBuddy(findText_);

    matchCase_ = new QCheckBox(tr("Match case"), this);
    matchCase_->setObjectName(QStringLiteral("MatchCase"));
    wholeWord_ = new QCheckBox(tr("Whole word"), this);
    wholeWord_->setObjectName(QStringLiteral("WholeWord"));

    auto* direction = new QGroupBox(tr("Direction"), this);
    up_ = new QRadioButton(tr("&Up"), direction);
    down_ = new QRadioButton(tr("&Down"), direction);
    down_->setChecked(true);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(up_);
    directionLayout->addWidget(down_);

    findNext_ = new QPushButton(tr("Find Next"), this);
    findNext_->setObjectName(QStringLiteral("FindNext"));
    findNext_->setDefault(true);
    cancel_ = new QPushButton(tr("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("Cancel"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(findText_, 0, 1, 1, 2);
    auto* options = new QVBoxLayout;
    options->addWidget(wholeWord_);
    options->addWidget(matchCase_);
    grid->addLayout(options, 1, 0, 1, 2);
    grid->addWidget(direction, 1, 2);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(findNext_);
    buttons->addWidget(cancel_);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 3, 2, 1);

    connect(findNext_, &QPushButton::clicked, this, &TFindDialog::find);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    // The desktop's "find next" key (F3) presses "Find Next".
    auto* findNextKey = new QShortcut(QKeySequence::FindNext, this);
    connect(findNextKey, &QShortcut::activated, findNext_, &QPushButton::click);
}

QString TFindDialog::findText() const
{
    return findText_->text();
}

std::string TFindDialog::findTextBytes() const
{
    return storedBytes(findText_->text());
}

void TFindDialog::setFindText(const QString& text)
{
    findText_->setText(fittedToByteLimit(text, maxFindTextBytes));
}

bool TFindDialog::matchCase() const { return matchCase_->isChecked(); }
bool TFindDialog::wholeWord() const { return wholeWord_->isChecked(); }
bool TFindDialog::searchDown() const { return down_->isChecked(); }

void TFindDialog::takeFocusBack()
{
    raise();
    activateWindow();
    findText_->setFocus(Qt::OtherFocusReason);
    findText_->selectAll();
    // The activation comes later, from the window system, and the selection
    // may be gone by then: it is made again when it arrives.
    selectTextOnActivation_ = !isActiveWindow();
}

bool TFindDialog::event(QEvent* event)
{
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate && selectTextOnActivation_) {
        selectTextOnActivation_ = false;
        findText_->setFocus(Qt::ActiveWindowFocusReason);
        findText_->selectAll();
    }
    return handled;
}
