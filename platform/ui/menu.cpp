#include "platform/ui/menu.h"

namespace platform {

namespace {

constexpr UINT kStateBits = MF_GRAYED | MF_DISABLED;

template <class Items>
auto FindItem(Items& items, UINT id_or_position, UINT flags) -> decltype(&items.front()) {
  if ((flags & MF_BYPOSITION) != 0) {
    return id_or_position < items.size() ? &items[id_or_position] : nullptr;
  }
  for (auto& item : items) {
    if (!item.separator && item.id == id_or_position) {
      return &item;
    }
  }
  return nullptr;
}

}  // namespace

Menu::Menu(std::function<void()> on_change) : on_change_(std::move(on_change)) {}

BOOL Menu::AppendMenu(UINT flags, UINT_PTR id, std::string_view text) {
  MenuItem item;
  item.separator = (flags & MF_SEPARATOR) != 0;
  if (!item.separator) {
    item.id = static_cast<UINT>(id);
    item.text = std::string(text);
    item.state = flags & kStateBits;
  }
  items_.push_back(std::move(item));
  on_change_();
  return TRUE;
}

UINT Menu::EnableMenuItem(UINT id_or_position, UINT enable) {
  MenuItem* item = FindItem(items_, id_or_position, enable);
  if (item == nullptr) {
    return kNoMenuItem;
  }
  const UINT previous = item->state;
  item->state = enable & kStateBits;
  if (item->state != previous) {
    on_change_();
  }
  return previous;
}

UINT Menu::GetMenuState(UINT id_or_position, UINT flags) const {
  const MenuItem* item = FindItem(items_, id_or_position, flags);
  if (item == nullptr) {
    return kNoMenuItem;
  }
  return item->separator ? MF_SEPARATOR : item->state;
}

bool Menu::CanChoose(UINT id) const {
  const MenuItem* item = FindItem(items_, id, MF_BYCOMMAND);
  return item != nullptr && item->state == MF_ENABLED;
}

}  // namespace platform
