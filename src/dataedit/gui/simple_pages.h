// The own pages of the GS1 conversion, Japanese book code, GS1 pick-up and direct-input wizards.
#pragma once

#include <array>

#include "dataedit/gui/data_edit_wizard.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace omni::dataedit {

class GS1ConversionPage : public ScriptPage {
    Q_OBJECT
public:
    explicit GS1ConversionPage(QWidget* parent = nullptr);
    TemplateResult build() const override;

private:
    QCheckBox* beginEnd_;
    QLineEdit* begin_;
    QLineEdit* end_;
    QCheckBox* outputAi_;
    QCheckBox* brackets_;
    QCheckBox* between_;
    QLineEdit* betweenText_;
    QCheckBox* after_;
    QLineEdit* afterText_;
    QCheckBox* suppressDd_;
    QCheckBox* decimal_;
};

class BookCodePage : public ScriptPage {
    Q_OBJECT
public:
    explicit BookCodePage(QWidget* parent = nullptr);
    TemplateResult build() const override;

private:
    std::array<QLineEdit*, 4> strings_{};
    QCheckBox* fixPrice_;
};

class PickupPage : public ScriptPage {
    Q_OBJECT
public:
    explicit PickupPage(QWidget* parent = nullptr);
    TemplateResult build() const override;

private:
    void updateEnabled();

    QComboBox* count_;
    QLineEdit* lead_;
    std::array<QComboBox*, 4> ais_{};
    std::array<QLineEdit*, 4> after_{};
    QCheckBox* suppressDd_;
    QCheckBox* decimal_;
};

class DirectInputPage : public ScriptPage {
    Q_OBJECT
public:
    explicit DirectInputPage(QWidget* parent = nullptr);
    TemplateResult build() const override;

private:
    QPlainTextEdit* cut_;
    QPlainTextEdit* paste_;
};

// Typed text as the scripts take it: UTF-8 bytes, so that anything beyond ASCII is refused by
// the escaping rather than silently changed.
std::string scriptBytes(const QString& text);

}  // namespace omni::dataedit
