#include "serial/gui/code_page_combo_box.h"

#include "foundation/exception.h"
#include "resources/string_ids.h"
#include "resources/strings.h"
#include "stream/multi_byte_converter.h"
#include "ui/gui/text.h"

namespace omni::serial {

CodePageComboBox::CodePageComboBox(QWidget* parent) : CodePageComboBox(CodePageList(), parent) {}

CodePageComboBox::CodePageComboBox(CodePageList list, QWidget* parent)
    : FocusWheelComboBox(parent), list_(std::move(list)) {
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
    for (const CodePageEntry& entry : list_.entries()) {
        QString text = ui::toQString(entry.text);
        if (entry.codePage == stream::kDefaultCodePage)
            text = ui::toQString(
                res::format(res::ids::DefaultCodePageMeans, {entry.text, defaultEncodingLabel()}));
        addItem(text, QVariant::fromValue<quint32>(entry.codePage));
    }
    setCurrentIndex(static_cast<int>(list_.selectedIndex()));
}

std::u16string CodePageComboBox::defaultEncodingLabel() {
    const std::string name = stream::localeEncodingName();
    return res::fromUtf8(name == "CP1252" ? std::string("Windows-1252") : name);
}

void CodePageComboBox::selectCodePage(std::uint32_t codePage) {
    const std::size_t index = findCodePageEntry(list_.entries(), codePage);
    list_.select(index);
    QSignalBlocker quiet(this);
    setCurrentIndex(static_cast<int>(index));
}

}  // namespace omni::serial
