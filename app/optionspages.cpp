#include "app/optionspages.h"

#include "ui_optionspages.h"

#include "common/panel.h"

OptionsPages::OptionsPages(QWidget* parent) : QTabWidget(parent), ui_(std::make_unique<Ui::OptionsPages>())
{
    ui_->setupUi(this);
    makeOpaquePanel(*this);
    ui_->Vspace->setAssociate(ui_->Spacing);
}

OptionsPages::~OptionsPages() = default;

void OptionsPages::showEvent(QShowEvent* event)
{
    QTabWidget::showEvent(event);
    emit shown();
}
