#include "serial/gui/code_page_combo_box.h"

#include <QWheelEvent>

#include "foundation/exception.h"
#include "ui/gui/text.h"

namespace omni::serial {

CodePageComboBox::CodePageComboBox(QWidget* parent) : CodePageComboBox(CodePageList(), parent) {}

CodePageComboBox::CodePageComboBox(CodePageList list, QWidget* parent)
    : QComboBox(parent), list_(std::move(list)) {
    setObjectName(QStringLiteral("CodePageComboBox"));
    setMinimumWidth(kWidth);
    setMaxVisibleItems(20);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    fill();
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0 && static_cast<std::size_t>(index) != list_.selectedIndex())
            list_.select(static_cast<std::size_t>(index));
    });
}

CodePageComboBox::~CodePageComboBox() {
    try {
        store();
    } catch (const foundation::Exception&) {
        // Nothing to report to once the box is going; the next run starts from the default.
    }
}

void CodePageComboBox::fill() {
    QSignalBlocker quiet(this);
    clear();
    for (const CodePageEntry& entry : list_.entries())
        addItem(gui::toQString(entry.text), QVariant::fromValue<quint32>(entry.codePage));
    setCurrentIndex(static_cast<int>(list_.selectedIndex()));
}

void CodePageComboBox::selectCodePage(std::uint32_t codePage) {
    const std::size_t index = findCodePageEntry(list_.entries(), codePage);
    list_.select(index);
    QSignalBlocker quiet(this);
    setCurrentIndex(static_cast<int>(index));
}

void CodePageComboBox::wheelEvent(QWheelEvent* event) {
    // A scroll over the toolbar must not change how the log reads.
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}

}  // namespace omni::serial
