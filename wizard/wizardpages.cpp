#include "wizard/wizardpages.h"

#include "ui_wizardpages.h"

#include "common/panel.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QPlainTextEdit>

#include <QRegularExpressionValidator>
#include <limits>

WizardPages::WizardPages(QWidget* parent) : QStackedWidget(parent), ui_(std::make_unique<Ui::WizardPages>())
{
    ui_->setupUi(this);
    makeOpaquePanel(*this);
    ui_->PrjSelect->setMaximum(largestProjectNumber);
    ui_->PrjSelect->setAssociate(ui_->Project);
    // Project numbers only: anything else would be written as a number field.
    ui_->Project->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), ui_->Project));
    // A description of any length is shown and kept whole.
    ui_->PrjDiscription->setMaxLength(std::numeric_limits<int>::max());
    fitToFont();

    // Enter on a focused button presses it, as in a dialog; elsewhere on a
    // page Enter goes to the page's default button.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(true);
    for (QPushButton* button : {ui_->Next1, ui_->Next2, ui_->Next3, ui_->UtilBtn}) {
        button->setAutoDefault(false);
        button->setDefault(true);
    }
    // Notes read as text, not as boxes to stop in.
    for (QPlainTextEdit* memo : {ui_->Memo1, ui_->Memo2})
        memo->setFocusPolicy(Qt::NoFocus);
    // A page coming up takes the keyboard to its first control.
    connect(this, &QStackedWidget::currentChanged, this, [this] {
        if (isVisible())
            focusCurrentPage();
    });
}

void WizardPages::focusCurrentPage()
{
    if (QWidget* page = currentWidget()) {
        orderTabStopsAsMade(*page);
        focusFirstControl(*page);
    }
}

void WizardPages::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && modifiers == Qt::NoModifier &&
        currentWidget()) {
        for (QPushButton* button : currentWidget()->findChildren<QPushButton*>()) {
            if (button->isDefault() && button->isVisible() && button->isEnabled()) {
                button->click();
                return;
            }
        }
    }
    QStackedWidget::keyPressEvent(event);
}

void WizardPages::fitToFont()
{
    // Room for numbers of up to seven digits; longer ones scroll in the box.
    fitWidthToText(*ui_->Project, QStringLiteral("0000000"), TextBoxWidth::Fixed);
    fitWidthToText(*ui_->CurrentProject, QStringLiteral("0000000"), TextBoxWidth::Fixed);
    fitWidthToText(*ui_->Projectfilename, QStringLiteral("projects.txt  "));
    fitWidthToText(*ui_->PrjDiscription, QString(24, QLatin1Char('x')));
    // The notes carry a style sheet, which keeps the font they were made with.
    for (QPlainTextEdit* memo : {ui_->Memo1, ui_->Memo2}) {
        memo->setFont(font());
        fitToText(*memo);
    }
}

void WizardPages::changeEvent(QEvent* event)
{
    QStackedWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitToFont();
}

WizardPages::~WizardPages() = default;

void WizardPages::showEvent(QShowEvent* event)
{
    QStackedWidget::showEvent(event);
    // A style sheet's font reaches the boxes only as they are polished for
    // showing: sized again for it.
    fitToFont();
    emit shown();
    focusCurrentPage();
}
