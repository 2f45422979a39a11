#include "wizard/wizardpages.h"

#include "ui_wizardpages.h"

#include "common/panel.h"

#include <QRegularExpressionValidator>
#include <limits>

WizardPages::WizardPages(QWidget* parent) : QStackedWidget(parent), ui_(std::make_unique<Ui::WizardPages>())
{
    ui_->setupUi(this);
    makeOpaquePanel(*this);
    ui_->PrjSelect->setAssociate(ui_->Project);
    // Project numbers only: anything else would be written as a number field.
    ui_->Project->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), ui_->Project));
    // A description of any length is shown and kept whole.
    ui_->PrjDiscription->setMaxLength(std::numeric_limits<int>::max());
}

WizardPages::~WizardPages() = default;

void WizardPages::showEvent(QShowEvent* event)
{
    QStackedWidget::showEvent(event);
    emit shown();
}
