#include "dataedit/gui/multi_label_wizard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

#include "dataedit/char_tables.h"
#include "dataedit/gui/simple_pages.h"
#include "resources/string_ids.h"
#include "ui/gui/text.h"

namespace omni::dataedit {
namespace {

using ui::uiText;
namespace ids = res::ids;

QString fromView(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QSpinBox* digitBox(QWidget* parent, const QString& name, int value) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(kMinLabelDigits, kMaxLabelDigits);
    box->setValue(value);
    return box;
}

}  // namespace

// ---- labels ----

MultiLabelPage::MultiLabelPage(QWidget* parent)
    : ScriptPage("multiLabelPage", ids::DataEditMultiTitle, parent) {
    auto* grid = new QGridLayout;
    setBody({uiText(ids::DataEditMultiCaption1), uiText(ids::DataEditMultiCaption2)}, grid);
    grid->addWidget(new QLabel(uiText(ids::DataEditLabelCount), this), 0, 0);
    count_ = new QComboBox(this);
    count_->setObjectName(QStringLiteral("labelCount"));
    for (int n = 1; n <= 4; ++n)
        count_->addItem(QString::number(n));
    grid->addWidget(count_, 0, 1);
    const std::uint32_t headers[] = {ids::DataEditKindOfCode, ids::DataEditBeginString,
                                     ids::DataEditEndString, ids::DataEditMinMaxDigits};
    for (int c = 0; c < 4; ++c)
        grid->addWidget(new QLabel(uiText(headers[c]), this), 1, c + 1, 1, c == 3 ? 2 : 1);
    for (int i = 0; i < 4; ++i) {
        LabelBoxes& l = labels_[i];
        const QString n = QString::number(i + 1);
        grid->addWidget(new QLabel(uiText(ids::DataEditLabelN).arg(i + 1), this), i + 2, 0);
        l.kind = new QComboBox(this);
        l.kind->setObjectName(QStringLiteral("kind") + n);
        for (const CodeTypeRow& row : CodeTypes())
            l.kind->addItem(fromView(row.name));
        l.begin = textBox(("begin" + n).toLatin1().constData());
        l.end = textBox(("end" + n).toLatin1().constData());
        l.min = digitBox(this, QStringLiteral("min") + n, kMinLabelDigits);
        l.max = digitBox(this, QStringLiteral("max") + n, kMaxLabelDigits);
        grid->addWidget(l.kind, i + 2, 1);
        grid->addWidget(l.begin, i + 2, 2);
        grid->addWidget(l.end, i + 2, 3);
        grid->addWidget(l.min, i + 2, 4);
        grid->addWidget(l.max, i + 2, 5);
        connect(l.kind, &QComboBox::currentIndexChanged, this, &MultiLabelPage::changed);
        connect(l.min, &QSpinBox::valueChanged, this, &MultiLabelPage::changed);
        connect(l.max, &QSpinBox::valueChanged, this, &MultiLabelPage::changed);
    }
    connect(count_, &QComboBox::currentIndexChanged, this, [this] {
        updateEnabled();
        changed();
    });
    updateEnabled();
}

int MultiLabelPage::labelCount() const {
    return count_->currentIndex() + 1;
}

void MultiLabelPage::updateEnabled() {
    for (int i = 0; i < 4; ++i) {
        const bool on = i < labelCount();
        for (QWidget* w :
             std::initializer_list<QWidget*>{labels_[i].kind, labels_[i].begin, labels_[i].end,
                                             labels_[i].min, labels_[i].max}) {
            w->setEnabled(on);
        }
    }
}

std::vector<LabelChoice> MultiLabelPage::labels() const {
    std::vector<LabelChoice> chosen;
    for (int i = 0; i < labelCount(); ++i) {
        const LabelBoxes& l = labels_[i];
        chosen.push_back({static_cast<std::size_t>(l.kind->currentIndex()),
                          scriptBytes(l.begin->text()), scriptBytes(l.end->text()), l.min->value(),
                          l.max->value()});
    }
    return chosen;
}

TemplateResult MultiLabelPage::build() const {
    MultiLabelChoices c;
    c.labels = labels();
    return BuildMultiLabel(c);
}

// ---- output ----

MultiLabelOutputPage::MultiLabelOutputPage(const MultiLabelPage& labels, QWidget* parent)
    : ScriptPage("multiLabelOutputPage", ids::DataEditMultiOutTitle, parent), labels_(labels) {
    auto* grid = new QGridLayout;
    setBody({uiText(ids::DataEditMultiOutCaption1), uiText(ids::DataEditMultiOutCaption2)}, grid);
    dropBeginEnd_ = new QCheckBox(uiText(ids::DataEditDropBeginEnd), this);
    dropBeginEnd_->setObjectName(QStringLiteral("dropBeginEnd"));
    connect(dropBeginEnd_, &QCheckBox::toggled, this, &MultiLabelOutputPage::changed);
    grid->addWidget(dropBeginEnd_, 0, 0, 1, 2);
    const QString captions[] = {uiText(ids::DataEditBegin), uiText(ids::DataEditSeparatorN).arg(1),
                                uiText(ids::DataEditSeparatorN).arg(2),
                                uiText(ids::DataEditSeparatorN).arg(3), uiText(ids::DataEditEnd)};
    const char* names[] = {"beginChar", "separator1", "separator2", "separator3", "endChar"};
    for (int i = 0; i < 5; ++i) {
        chars_[i] = new QComboBox(this);
        chars_[i]->setObjectName(QLatin1String(names[i]));
        for (const CharRow& row : CharTable())
            chars_[i]->addItem(fromView(row.name), fromView(row.escape));
        chars_[i]->setMaxVisibleItems(16);
        grid->addWidget(new QLabel(captions[i], this), i + 1, 0);
        grid->addWidget(chars_[i], i + 1, 1);
        connect(chars_[i], &QComboBox::currentIndexChanged, this, &MultiLabelOutputPage::changed);
    }
    grid->setColumnStretch(1, 1);
}

void MultiLabelOutputPage::initializePage() {
    // Separator n stands between label n and label n + 1.
    for (int i = 1; i <= 3; ++i)
        chars_[i]->setEnabled(i < labels_.labelCount());
}

TemplateResult MultiLabelOutputPage::build() const {
    MultiLabelChoices c;
    c.labels = labels_.labels();
    c.dropBeginEnd = dropBeginEnd_->isChecked();
    const auto escape = [](const QComboBox* box) {
        return box->isEnabled() ? box->currentData().toString().toStdString() : std::string();
    };
    c.begin = escape(chars_[0]);
    for (int i = 0; i < 3; ++i)
        c.separators[i] = escape(chars_[i + 1]);
    c.end = escape(chars_[4]);
    return BuildMultiLabel(c);
}

// ---- the wizard ----

MultiLabelWizard::MultiLabelWizard(WizardLink& link, QWidget* parent)
    : DataEditWizard(link, parent),
      labels_(new MultiLabelPage(this)),
      output_(new MultiLabelOutputPage(*labels_, this)) {
    addPage(labels_);
    addPage(output_);
    addTestPage();
}

}  // namespace omni::dataedit
