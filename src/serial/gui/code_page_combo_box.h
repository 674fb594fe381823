// The code-page box of the "Character code" band: how received bytes are shown in the log.
// Filled from the code-page list at creation with the stored choice ("CodePageProperty")
// selected; choosing an entry makes it the current code page at once, so bytes received from
// then on are shown in it. The choice is written when the box goes (or by store()).
#pragma once

#include <string>

#include "serial/codepage.h"
#include "serial/gui/focus_wheel_combo_box.h"

namespace omni::serial {

class CodePageComboBox : public FocusWheelComboBox {
    Q_OBJECT
public:
    static constexpr int kWidth = 240;

    explicit CodePageComboBox(QWidget* parent = nullptr);
    // For tests: a box over the given list instead of the installed code pages.
    explicit CodePageComboBox(CodePageList list, QWidget* parent = nullptr);
    ~CodePageComboBox() override;

    const CodePageList& list() const { return list_; }
    // Selects the entry of `codePage` (the first entry when there is none).
    void selectCodePage(std::uint32_t codePage);
    // Writes "CodePageProperty". Throws SystemException when it cannot be written.
    void store() const { list_.store(); }
    // The encoding "Default character code" currently means, as the box names it after that
    // entry's text ("UTF-8", "Windows-1252" in the C/POSIX locale).
    static std::u16string defaultEncodingLabel();

private:
    void fill();

    CodePageList list_;
};

}  // namespace omni::serial
