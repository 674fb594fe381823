#include "app/gui/help_window.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "resources/string_ids.h"
#include "ui/gui/text.h"

namespace omni::app {
namespace {

QString pageName(res::Language language) {
    return language == res::Language::Japanese ? QStringLiteral("document/ja/index.html")
                                               : QStringLiteral("document/index.html");
}

}  // namespace

QUrl HelpWindow::pageUrl(res::Language language) {
    const QString beside =
        QApplication::applicationDirPath() + QLatin1Char('/') + pageName(language);
    if (QFileInfo::exists(beside))
        return QUrl::fromLocalFile(beside);
    const QString built = QStringLiteral(":/") + pageName(language);
    if (QFileInfo::exists(built))
        return QUrl(QStringLiteral("qrc") + built);
    return {};
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("helpWindow"));
    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(true);
    back_ = new QPushButton(this);
    forward_ = new QPushButton(this);
    english_ = new QPushButton(QStringLiteral("English"), this);
    japanese_ = new QPushButton(QStringLiteral("日本語"), this);
    close_ = new QPushButton(this);
    for (QPushButton* b : {english_, japanese_})
        b->setCheckable(true);
    back_->setEnabled(false);
    forward_->setEnabled(false);

    auto* bar = new QHBoxLayout;
    bar->addWidget(back_);
    bar->addWidget(forward_);
    bar->addStretch();
    bar->addWidget(english_);
    bar->addWidget(japanese_);
    bar->addSpacing(12);
    bar->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(browser_);

    connect(back_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QWidget::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QWidget::setEnabled);
    connect(english_, &QPushButton::clicked, this,
            [this] { showLanguage(res::Language::English); });
    connect(japanese_, &QPushButton::clicked, this,
            [this] { showLanguage(res::Language::Japanese); });
    connect(close_, &QPushButton::clicked, this, &QWidget::close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    resize(760, 640);
    showLanguage(res::currentLanguage());
}

bool HelpWindow::showLanguage(res::Language language) {
    const QUrl url = pageUrl(language);
    language_ = language;
    english_->setChecked(language == res::Language::English);
    japanese_->setChecked(language == res::Language::Japanese);
    retranslate();
    if (url.isEmpty())
        return false;
    browser_->setSource(url);
    browser_->clearHistory();
    return true;
}

void HelpWindow::retranslate() {
    const auto text = [this](std::uint32_t id) {
        return ui::toQString(res::loadString(id, language_));
    };
    setWindowTitle(text(res::ids::HelpTitle));
    back_->setText(text(res::ids::HelpBack));
    forward_->setText(text(res::ids::HelpForward));
    close_->setText(text(res::ids::HelpClose));
}

}  // namespace omni::app
