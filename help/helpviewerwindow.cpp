#include "help/helpviewerwindow.h"

#include "help/helpbrowser.h"

#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QLineEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

HelpViewerWindow::HelpViewerWindow(QHelpEngine* engine) : engine_(engine)
{
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(tr("Quindle Help"));
    // The viewer never keeps the program running on its own.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(860, 600);

    auto* splitter = new QSplitter(this);
    tabs_ = new QTabWidget(splitter);
    tabs_->setObjectName(QStringLiteral("HelpTabs"));

    QHelpContentWidget* contents = engine_->contentWidget();
    contents->setObjectName(QStringLiteral("HelpContents"));
    tabs_->addTab(contents, tr("Contents"));

    auto* indexPage = new QWidget;
    auto* indexLayout = new QVBoxLayout(indexPage);
    indexLayout->setContentsMargins(2, 2, 2, 2);
    filter_ = new QLineEdit(indexPage);
    filter_->setObjectName(QStringLiteral("HelpIndexFilter"));
    filter_->setPlaceholderText(tr("Type a keyword"));
    QHelpIndexWidget* index = engine_->indexWidget();
    index->setObjectName(QStringLiteral("HelpIndex"));
    indexLayout->addWidget(filter_);
    indexLayout->addWidget(index);
    tabs_->addTab(indexPage, tr("Index"));

    browser_ = new HelpBrowser(engine_, splitter);
    splitter->addWidget(tabs_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({240, 620});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    connect(contents, &QHelpContentWidget::linkActivated, this, &HelpViewerWindow::showTopic);
    connect(index, &QHelpIndexWidget::documentActivated, this,
            [this](const QHelpLink& link, const QString&) { showTopic(link.url); });
    connect(index, &QHelpIndexWidget::documentsActivated, this,
            [this](const QList<QHelpLink>& links, const QString&) {
                if (!links.isEmpty())
                    showTopic(links.first().url);
            });
    connect(filter_, &QLineEdit::textChanged, index, [index](const QString& text) { index->filterIndices(text); });
    connect(filter_, &QLineEdit::returnPressed, index, &QHelpIndexWidget::activateCurrentItem);
    connect(engine_->contentModel(), &QHelpContentModel::contentsCreated, this, [this, contents] {
        contents->expandToDepth(0);
        showFirstTopicIfEmpty();
    });
    contents->expandToDepth(0);
    connect(engine_->indexModel(), &QHelpIndexModel::indexCreated, this, &HelpViewerWindow::applyIndexKeyword);
}

HelpViewerWindow::~HelpViewerWindow()
{
    // The engine owns its contents and index widgets; hand them back.
    QWidget* contents = engine_->contentWidget();
    QWidget* index = engine_->indexWidget();
    contents->setParent(nullptr);
    index->setParent(nullptr);
}

void HelpViewerWindow::present()
{
    show();
    raise();
    activateWindow();
}

void HelpViewerWindow::showContents()
{
    tabs_->setCurrentIndex(0);
    firstTopicWanted_ = true;
    showFirstTopicIfEmpty();
    present();
}

void HelpViewerWindow::showIndex(const QString& keyword)
{
    tabs_->setCurrentIndex(1);
    firstTopicWanted_ = false;
    pendingKeyword_ = keyword;
    keywordPending_ = true;
    filter_->setText(keyword);
    applyIndexKeyword();
    present();
}

void HelpViewerWindow::applyIndexKeyword()
{
    // The index fills after the event loop has run; the keyword waits for it.
    QHelpIndexModel* model = engine_->indexModel();
    if (!keywordPending_ || model->isCreatingIndex() || model->rowCount() == 0)
        return;
    keywordPending_ = false;
    QHelpIndexWidget* index = engine_->indexWidget();
    filter_->setText(pendingKeyword_);
    index->filterIndices(pendingKeyword_);
    if (pendingKeyword_.isEmpty())
        return;
    const QModelIndex current = index->currentIndex();
    if (current.isValid() && current.data().toString().compare(pendingKeyword_, Qt::CaseInsensitive) == 0)
        index->activateCurrentItem();
}

void HelpViewerWindow::showTopic(const QUrl& url)
{
    firstTopicWanted_ = false;
    browser_->setSource(url);
    QHelpContentWidget* contents = engine_->contentWidget();
    const QModelIndex entry = contents->indexOf(url);
    if (entry.isValid())
        contents->setCurrentIndex(entry);
    present();
}

void HelpViewerWindow::showFirstTopicIfEmpty()
{
    if (!firstTopicWanted_ || !browser_->source().isEmpty())
        return;
    QHelpContentModel* model = engine_->contentModel();
    if (model->isCreatingContents())
        return;
    if (QHelpContentItem* top = model->contentItemAt(model->index(0, 0)))
        browser_->setSource(top->url());
}
