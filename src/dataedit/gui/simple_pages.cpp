#include "dataedit/gui/simple_pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "dataedit/gs1_dictionary.h"
#include "dataedit/gui/page_widgets.h"
#include "resources/string_ids.h"
#include "ui/gui/text.h"

namespace omni::dataedit {
namespace {

using ui::uiText;
namespace ids = res::ids;

QCheckBox* checkBox(QWidget* parent, std::uint32_t textId, const char* name, bool checked) {
    auto* box = new QCheckBox(uiText(textId), parent);
    box->setObjectName(QLatin1String(name));
    box->setChecked(checked);
    return box;
}

}  // namespace

std::string scriptBytes(const QString& text) {
    return text.toUtf8().toStdString();
}

// ---- GS1 conversion ----

GS1ConversionPage::GS1ConversionPage(QWidget* parent)
    : ScriptPage("gs1ConversionPage", ids::DataEditGS1ConvTitle, parent) {
    auto* grid = new QGridLayout;
    setBody({uiText(ids::DataEditGS1ConvCaption)}, grid);
    beginEnd_ = checkBox(this, ids::DataEditInsertBeginEnd, "insertBeginEnd", false);
    begin_ = textBox("begin");
    end_ = textBox("end");
    grid->addWidget(beginEnd_, 0, 0, 1, 4);
    grid->addWidget(new QLabel(uiText(ids::DataEditBegin), this), 1, 1);
    grid->addWidget(begin_, 1, 2);
    grid->addWidget(new QLabel(uiText(ids::DataEditEnd), this), 2, 1);
    grid->addWidget(end_, 2, 2);
    outputAi_ = checkBox(this, ids::DataEditOutputAi, "outputAi", true);
    brackets_ = checkBox(this, ids::DataEditOutputAiBrackets, "aiBrackets", false);
    grid->addWidget(outputAi_, 3, 0, 1, 4);
    grid->addWidget(brackets_, 4, 1, 1, 3);
    between_ = checkBox(this, ids::DataEditInsertBetween, "insertBetween", false);
    betweenText_ = textBox("between");
    grid->addWidget(between_, 5, 0, 1, 2);
    grid->addWidget(betweenText_, 5, 2);
    after_ = checkBox(this, ids::DataEditInsertAfterFlexible, "insertAfterFlexible", false);
    afterText_ = textBox("afterFlexible");
    grid->addWidget(after_, 6, 0, 1, 2);
    grid->addWidget(afterText_, 6, 2);
    suppressDd_ = checkBox(this, ids::DataEditSuppressDd, "suppressDd", true);
    decimal_ = checkBox(this, ids::DataEditDecimalPoint, "decimalPoint", true);
    grid->addWidget(suppressDd_, 7, 0, 1, 4);
    grid->addWidget(decimal_, 8, 0, 1, 4);
    grid->setColumnMinimumWidth(0, 16);
    grid->setColumnStretch(2, 1);
    enableWhileChecked(beginEnd_, {begin_, end_});
    enableWhileChecked(outputAi_, {brackets_});
    enableWhileChecked(between_, {betweenText_});
    enableWhileChecked(after_, {afterText_});
    for (QCheckBox* box :
         {beginEnd_, outputAi_, brackets_, between_, after_, suppressDd_, decimal_}) {
        connect(box, &QCheckBox::toggled, this, [this] { changed(); });
    }
}

TemplateResult GS1ConversionPage::build() const {
    GS1ConversionChoices c;
    c.insertBeginEnd = beginEnd_->isChecked();
    c.begin = scriptBytes(begin_->text());
    c.end = scriptBytes(end_->text());
    c.outputAi = outputAi_->isChecked();
    c.aiInBrackets = c.outputAi && brackets_->isChecked();
    c.insertBetween = between_->isChecked();
    c.between = scriptBytes(betweenText_->text());
    c.insertAfterFlexible = after_->isChecked();
    c.afterFlexible = scriptBytes(afterText_->text());
    c.suppressDd = suppressDd_->isChecked();
    c.decimalPoint = decimal_->isChecked();
    return BuildGS1Conversion(c);
}

// ---- Japanese book code ----

BookCodePage::BookCodePage(QWidget* parent)
    : ScriptPage("bookCodePage", ids::DataEditBookTitle, parent) {
    auto* row = new QHBoxLayout;
    const std::uint32_t between[] = {ids::DataEditIsbn, ids::DataEditKindCode,
                                     ids::DataEditPriceCode};
    for (int i = 0; i < 4; ++i) {
        strings_[i] = textBox(QStringLiteral("string%1").arg(i + 1).toLatin1().constData());
        strings_[i]->setMaximumWidth(90);
        row->addWidget(strings_[i]);
        if (i < 3) {
            auto* label = new QLabel(uiText(between[i]), this);
            label->setAlignment(Qt::AlignCenter);
            row->addWidget(label);
        }
    }
    fixPrice_ = checkBox(this, ids::DataEditFixPrice5, "fixPrice5", false);
    connect(fixPrice_, &QCheckBox::toggled, this, &BookCodePage::changed);
    auto* layout = new QVBoxLayout;
    layout->addLayout(row);
    layout->addWidget(fixPrice_);
    setBody({uiText(ids::DataEditBookCaption1), uiText(ids::DataEditBookCaption2)}, layout);
}

TemplateResult BookCodePage::build() const {
    BookCodeChoices c;
    for (int i = 0; i < 4; ++i)
        c.strings[i] = scriptBytes(strings_[i]->text());
    c.fixPriceTo5Digits = fixPrice_->isChecked();
    return BuildBookCode(c);
}

// ---- GS1 pick-up ----

PickupPage::PickupPage(QWidget* parent)
    : ScriptPage("pickupPage", ids::DataEditPickupTitle, parent) {
    auto* grid = new QGridLayout;
    setBody({}, grid);
    grid->addWidget(new QLabel(uiText(ids::DataEditPickupCaption1), this), 0, 0, 1, 2);
    count_ = new QComboBox(this);
    count_->setObjectName(QStringLiteral("aiCount"));
    for (int n = 1; n <= 4; ++n)
        count_->addItem(QString::number(n));
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(count_);
    countRow->addStretch(1);
    grid->addLayout(countRow, 1, 0, 1, 2);
    grid->setRowMinimumHeight(2, 8);
    grid->addWidget(new QLabel(uiText(ids::DataEditPickupCaption2), this), 3, 0, 1, 2);
    lead_ = textBox("lead");
    grid->addWidget(lead_, 4, 1);
    for (int i = 0; i < 4; ++i) {
        ais_[i] = new QComboBox(this);
        ais_[i]->setObjectName(QStringLiteral("ai%1").arg(i + 1));
        ais_[i]->addItem(uiText(ids::DataEditPickupNone));
        for (const GS1TitleRow& row : GS1TitleList()) {
            if (row.code.empty())
                continue;
            const QString title =
                QString::fromUtf8(row.title.data(), static_cast<qsizetype>(row.title.size()));
            ais_[i]->addItem(QString::fromStdString(row.code) + QStringLiteral("  ") + title,
                             QString::fromStdString(row.digits));
        }
        after_[i] = textBox(QStringLiteral("after%1").arg(i + 1).toLatin1().constData());
        grid->addWidget(ais_[i], i + 5, 0);
        grid->addWidget(after_[i], i + 5, 1);
        connect(ais_[i], &QComboBox::currentIndexChanged, this, &PickupPage::changed);
    }
    suppressDd_ = checkBox(this, ids::DataEditSuppressDd, "suppressDd", true);
    decimal_ = checkBox(this, ids::DataEditDecimalPoint, "decimalPoint", true);
    grid->setRowMinimumHeight(9, 8);
    grid->addWidget(suppressDd_, 10, 0, 1, 2);
    grid->addWidget(decimal_, 11, 0, 1, 2);
    grid->setColumnStretch(0, 2);
    grid->setColumnStretch(1, 1);
    connect(count_, &QComboBox::currentIndexChanged, this, [this] {
        updateEnabled();
        changed();
    });
    updateEnabled();
}

void PickupPage::updateEnabled() {
    for (int i = 0; i < 4; ++i) {
        ais_[i]->setEnabled(i <= count_->currentIndex());
        after_[i]->setEnabled(i <= count_->currentIndex());
    }
}

TemplateResult PickupPage::build() const {
    GS1PickupChoices c;
    c.lead = scriptBytes(lead_->text());
    for (int i = 0; i <= count_->currentIndex(); ++i)
        c.fields.push_back(
            {ais_[i]->currentData().toString().toStdString(), scriptBytes(after_[i]->text())});
    c.suppressDd = suppressDd_->isChecked();
    c.decimalPoint = decimal_->isChecked();
    return BuildGS1Pickup(c);
}

// ---- direct input ----

DirectInputPage::DirectInputPage(QWidget* parent)
    : ScriptPage("directInputPage", ids::DataEditDirectTitle, parent) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(uiText(ids::DataEditDirectCaption), this));
    const auto scriptBox = [this, layout](std::uint32_t caption, const char* name) {
        layout->addWidget(new QLabel(uiText(caption), this));
        auto* box = new QPlainTextEdit(this);
        box->setObjectName(QLatin1String(name));
        box->setTabChangesFocus(true);
        layout->addWidget(box, 1);
        connect(box, &QPlainTextEdit::textChanged, this, [this, box] {
            // The boxes hold 500 characters, as the reader's buffers allow.
            if (box->toPlainText().size() > static_cast<qsizetype>(kMaxDirectScript)) {
                QString text = box->toPlainText().left(static_cast<qsizetype>(kMaxDirectScript));
                box->setPlainText(text);
                box->moveCursor(QTextCursor::End);
            }
            changed();
        });
        return box;
    };
    cut_ = scriptBox(ids::DataEditCutScript, "cutScript");
    paste_ = scriptBox(ids::DataEditPasteScript, "pasteScript");
}

TemplateResult DirectInputPage::build() const {
    return BuildDirectInput(scriptBytes(cut_->toPlainText()), scriptBytes(paste_->toPlainText()));
}

}  // namespace omni::dataedit
