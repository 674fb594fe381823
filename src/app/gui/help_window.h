// The help window: the program's help pages in a browser of their own, in English or Japanese,
// so that help works without a web browser. The pages are built into the program; a copy
// beside the program ("document/index.html", "document/ja/index.html") is preferred when present,
// so that an installation can carry newer pages.
#pragma once

#include <QUrl>
#include <QWidget>

#include "resources/strings.h"

class QPushButton;
class QTextBrowser;

namespace omni::app {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // The page of `language`; false when it is nowhere to be found.
    bool showLanguage(res::Language language);
    res::Language language() const { return language_; }
    QTextBrowser* browser() const { return browser_; }

    // Where the page of `language` is read from (empty when missing).
    static QUrl pageUrl(res::Language language);

private:
    void retranslate();

    QTextBrowser* browser_;
    QPushButton* back_;
    QPushButton* forward_;
    QPushButton* english_;
    QPushButton* japanese_;
    QPushButton* close_;
    res::Language language_ = res::Language::English;
};

}  // namespace omni::app
