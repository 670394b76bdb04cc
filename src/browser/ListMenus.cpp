#include "browser/ListMenus.h"

#include <QAction>
#include <QMenu>

namespace vistrel {

std::string ListMenuCaption(const std::string& name, const std::string& hotkeyPrefix, int firstCode, int i,
                            bool showHotkeys)
{
    if (showHotkeys)
        return name + "\t" + hotkeyPrefix + static_cast<char>(firstCode + i);
    if (!hotkeyPrefix.empty())
        return name + "\t" + hotkeyPrefix;
    return name;
}

MenuArray::MenuArray(QMenu* menu, QAction* before, const std::string& name)
    : menu_(menu), before_(before), name_(name)
{
    LoadElements(1);
    elements_[0]->setVisible(false);
}

QAction* MenuArray::Element(int i) const
{
    return i >= 0 && i < static_cast<int>(elements_.size()) ? elements_[i] : nullptr;
}

// Elements 2, 3, ... are unloaded, 1..count loaded (element 1 is never unloaded).
void MenuArray::LoadElements(int count)
{
    const size_t wanted = static_cast<size_t>(std::max(count, 1)) + 1;
    while (elements_.size() > std::max<size_t>(wanted, 2)) {
        delete elements_.back();
        elements_.pop_back();
    }
    while (elements_.size() < wanted) {
        auto* action = new QAction(menu_);
        action->setObjectName(QString::fromStdString(name_ + "_" + std::to_string(elements_.size())));
        action->setData(static_cast<int>(elements_.size()));
        QObject::connect(action, &QAction::triggered, [handler = onTriggered_, action] {
            if (*handler)
                (*handler)(action->data().toInt());
        });
        menu_->insertAction(before_, action);
        elements_.push_back(action);
    }
}

void MenuArray::SetTriggeredHandler(std::function<void(int index)> handler)
{
    *onTriggered_ = std::move(handler);
}

void MenuArray::Build(const std::vector<std::string>& names, const std::string& hotkeyPrefix, int firstCode,
                      bool showHotkeys)
{
    const int count = static_cast<int>(names.size());
    LoadElements(count);
    for (int i = 1; i <= count; ++i) {
        QAction* element = elements_[i];
        const bool separator = names[i - 1] == kMenuSeparatorName;
        element->setSeparator(separator);
        element->setText(separator ? QString()
                                   : QString::fromStdString(
                                         ListMenuCaption(names[i - 1], hotkeyPrefix, firstCode, i, showHotkeys)));
        element->setVisible(true);
    }
    // An empty list keeps element 1 loaded (it cannot be unloaded) but shows nothing.
    if (count == 0)
        elements_[1]->setVisible(false);
    elements_[0]->setVisible(false);
}

}  // namespace vistrel
