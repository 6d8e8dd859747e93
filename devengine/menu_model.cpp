#include "menu_model.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine_object.h"
#include "engine_strings.h"
#include "record_ref.h"

namespace devengine {
namespace {

// A separator's command id.
constexpr int kNoCommand = -1;
constexpr int kNoGroup = -1;

struct Accelerator {
  int key_code = 0;
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};

struct MenuItem {
  cef_menu_item_type_t type = MENUITEMTYPE_NONE;
  int command_id = kNoCommand;
  std::wstring label;
  int group_id = kNoGroup;
  bool visible = true;
  bool enabled = true;
  bool checked = false;
  std::optional<Accelerator> accelerator;
  RecordRef<cef_menu_model_t> sub_menu;
};

class MenuModel final : public EngineObject<cef_menu_model_t> {
 public:
  MenuModel();

 private:
  template <class Method>
  friend struct ItemOperation;

  MenuItem* ItemAt(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= items_.size()) return nullptr;
    return &items_[static_cast<std::size_t>(index)];
  }

  MenuItem* ItemWithCommand(int command_id) { return ItemAt(GetIndexOf(command_id)); }

  // Inserts before `index`; the end of the list is a place too.
  MenuItem* Insert(int index, MenuItem item) {
    if (index < 0 || static_cast<std::size_t>(index) > items_.size()) return nullptr;
    return &*items_.insert(items_.begin() + index, std::move(item));
  }

  static MenuItem Item(cef_menu_item_type_t type, int command_id, const cef_string_t* label,
                       int group_id = kNoGroup) {
    MenuItem item;
    item.type = type;
    item.command_id = command_id;
    item.label = ToWString(label);
    item.group_id = group_id;
    return item;
  }

  // The new sub-menu with a reference for the caller, or null when it could
  // not be placed.
  cef_menu_model_t* InsertSubMenu(int index, int command_id, const cef_string_t* label) {
    MenuItem item = Item(MENUITEMTYPE_SUBMENU, command_id, label);
    item.sub_menu = RecordRef<cef_menu_model_t>::Adopt(NewMenuModel());
    MenuItem* placed = Insert(index, std::move(item));
    return placed == nullptr ? nullptr : SubMenuOf(*placed);
  }

  int Clear() {
    items_.clear();
    return 1;
  }
  int GetCount() { return static_cast<int>(items_.size()); }
  int End() { return GetCount(); }

  int AddSeparator() { return InsertSeparatorAt(End()); }
  int AddItem(int command_id, const cef_string_t* label) {
    return InsertItemAt(End(), command_id, label);
  }
  int AddCheckItem(int command_id, const cef_string_t* label) {
    return InsertCheckItemAt(End(), command_id, label);
  }
  int AddRadioItem(int command_id, const cef_string_t* label, int group_id) {
    return InsertRadioItemAt(End(), command_id, label, group_id);
  }
  cef_menu_model_t* AddSubMenu(int command_id, const cef_string_t* label) {
    return InsertSubMenu(End(), command_id, label);
  }

  int InsertSeparatorAt(int index) {
    return Flag(Insert(index, Item(MENUITEMTYPE_SEPARATOR, kNoCommand, nullptr)) != nullptr);
  }
  int InsertItemAt(int index, int command_id, const cef_string_t* label) {
    return Flag(Insert(index, Item(MENUITEMTYPE_COMMAND, command_id, label)) != nullptr);
  }
  int InsertCheckItemAt(int index, int command_id, const cef_string_t* label) {
    return Flag(Insert(index, Item(MENUITEMTYPE_CHECK, command_id, label)) != nullptr);
  }
  int InsertRadioItemAt(int index, int command_id, const cef_string_t* label, int group_id) {
    return Flag(Insert(index, Item(MENUITEMTYPE_RADIO, command_id, label, group_id)) != nullptr);
  }
  cef_menu_model_t* InsertSubMenuAt(int index, int command_id, const cef_string_t* label) {
    return InsertSubMenu(index, command_id, label);
  }

  int Remove(int command_id) { return RemoveAt(GetIndexOf(command_id)); }
  int RemoveAt(int index) {
    if (ItemAt(index) == nullptr) return 0;
    items_.erase(items_.begin() + index);
    return 1;
  }

  int GetIndexOf(int command_id) {
    for (std::size_t index = 0; index < items_.size(); ++index) {
      if (items_[index].command_id == command_id) return static_cast<int>(index);
    }
    return -1;
  }
  int GetCommandIdAt(int index) {
    const MenuItem* item = ItemAt(index);
    return item == nullptr ? kNoCommand : item->command_id;
  }
  int SetCommandIdAt(int index, int command_id) {
    MenuItem* item = ItemAt(index);
    if (item == nullptr) return 0;
    item->command_id = command_id;
    return 1;
  }

  cef_string_userfree_t LabelOf(MenuItem& item) { return NewUserFreeString(item.label); }
  int SetLabelOf(MenuItem& item, const cef_string_t* label) {
    item.label = ToWString(label);
    return 1;
  }
  cef_menu_item_type_t TypeOf(MenuItem& item) { return item.type; }
  int GroupIdOf(MenuItem& item) { return item.group_id; }
  int SetGroupIdOf(MenuItem& item, int group_id) {
    item.group_id = group_id;
    return 1;
  }
  cef_menu_model_t* SubMenuOf(MenuItem& item) {
    cef_menu_model_t* sub_menu = item.sub_menu.get();
    if (sub_menu != nullptr) FromRecord(sub_menu)->AddRef();
    return sub_menu;
  }

  template <bool MenuItem::*flag>
  int FlagOf(MenuItem& item) {
    return Flag(item.*flag);
  }
  template <bool MenuItem::*flag>
  int SetFlagOf(MenuItem& item, int value) {
    item.*flag = value != 0;
    return 1;
  }

  int HasAcceleratorOf(MenuItem& item) { return Flag(item.accelerator.has_value()); }
  int SetAcceleratorOf(MenuItem& item, int key_code, int shift, int ctrl, int alt) {
    item.accelerator = Accelerator{key_code, shift != 0, ctrl != 0, alt != 0};
    return 1;
  }
  int RemoveAcceleratorOf(MenuItem& item) {
    if (!item.accelerator) return 0;
    item.accelerator.reset();
    return 1;
  }
  // Null out-parameters are passed over.
  int AcceleratorOf(MenuItem& item, int* key_code, int* shift, int* ctrl, int* alt) {
    if (!item.accelerator) return 0;
    const Accelerator& accelerator = *item.accelerator;
    const std::pair<int*, int> outputs[] = {{key_code, accelerator.key_code},
                                            {shift, Flag(accelerator.shift)},
                                            {ctrl, Flag(accelerator.ctrl)},
                                            {alt, Flag(accelerator.alt)}};
    for (const auto& [output, value] : outputs) {
      if (output != nullptr) *output = value;
    }
    return 1;
  }

  std::vector<MenuItem> items_;
};

// Each per-item operation is written once, for an item; the entries of
// either kind find the item by command id or by position and call it. A
// missing item answers zero, false, MENUITEMTYPE_NONE or null.
template <class Method>
struct ItemOperation;

template <class Result, class... Args>
struct ItemOperation<Result (MenuModel::*)(MenuItem&, Args...)> {
  template <auto operation>
  static Result CEF_CALLBACK ById(cef_menu_model_t* self, int command_id, Args... args) {
    auto* menu = static_cast<MenuModel*>(MenuModel::FromRecord(self));
    return Apply<operation>(menu, menu == nullptr ? nullptr : menu->ItemWithCommand(command_id),
                            args...);
  }
  template <auto operation>
  static Result CEF_CALLBACK At(cef_menu_model_t* self, int index, Args... args) {
    auto* menu = static_cast<MenuModel*>(MenuModel::FromRecord(self));
    return Apply<operation>(menu, menu == nullptr ? nullptr : menu->ItemAt(index), args...);
  }

 private:
  template <auto operation>
  static Result Apply(MenuModel* menu, MenuItem* item, Args... args) {
    if (item == nullptr) return Result{};
    return (menu->*operation)(*item, args...);
  }
};

template <auto operation>
constexpr auto ById = &ItemOperation<decltype(operation)>::template ById<operation>;
template <auto operation>
constexpr auto At = &ItemOperation<decltype(operation)>::template At<operation>;

MenuModel::MenuModel() {
  cef_menu_model_t& record = entries();
  record.clear = EntryOf<&MenuModel::Clear>;
  record.get_count = EntryOf<&MenuModel::GetCount>;
  record.add_separator = EntryOf<&MenuModel::AddSeparator>;
  record.add_item = EntryOf<&MenuModel::AddItem>;
  record.add_check_item = EntryOf<&MenuModel::AddCheckItem>;
  record.add_radio_item = EntryOf<&MenuModel::AddRadioItem>;
  record.add_sub_menu = EntryOf<&MenuModel::AddSubMenu>;
  record.insert_separator_at = EntryOf<&MenuModel::InsertSeparatorAt>;
  record.insert_item_at = EntryOf<&MenuModel::InsertItemAt>;
  record.insert_check_item_at = EntryOf<&MenuModel::InsertCheckItemAt>;
  record.insert_radio_item_at = EntryOf<&MenuModel::InsertRadioItemAt>;
  record.insert_sub_menu_at = EntryOf<&MenuModel::InsertSubMenuAt>;
  record.remove = EntryOf<&MenuModel::Remove>;
  record.remove_at = EntryOf<&MenuModel::RemoveAt>;
  record.get_index_of = EntryOf<&MenuModel::GetIndexOf>;
  record.get_command_id_at = EntryOf<&MenuModel::GetCommandIdAt>;
  record.set_command_id_at = EntryOf<&MenuModel::SetCommandIdAt>;
  record.get_label = ById<&MenuModel::LabelOf>;
  record.get_label_at = At<&MenuModel::LabelOf>;
  record.set_label = ById<&MenuModel::SetLabelOf>;
  record.set_label_at = At<&MenuModel::SetLabelOf>;
  record.get_type = ById<&MenuModel::TypeOf>;
  record.get_type_at = At<&MenuModel::TypeOf>;
  record.get_group_id = ById<&MenuModel::GroupIdOf>;
  record.get_group_id_at = At<&MenuModel::GroupIdOf>;
  record.set_group_id = ById<&MenuModel::SetGroupIdOf>;
  record.set_group_id_at = At<&MenuModel::SetGroupIdOf>;
  record.get_sub_menu = ById<&MenuModel::SubMenuOf>;
  record.get_sub_menu_at = At<&MenuModel::SubMenuOf>;
  record.is_visible = ById<&MenuModel::FlagOf<&MenuItem::visible>>;
  record.is_visible_at = At<&MenuModel::FlagOf<&MenuItem::visible>>;
  record.set_visible = ById<&MenuModel::SetFlagOf<&MenuItem::visible>>;
  record.set_visible_at = At<&MenuModel::SetFlagOf<&MenuItem::visible>>;
  record.is_enabled = ById<&MenuModel::FlagOf<&MenuItem::enabled>>;
  record.is_enabled_at = At<&MenuModel::FlagOf<&MenuItem::enabled>>;
  record.set_enabled = ById<&MenuModel::SetFlagOf<&MenuItem::enabled>>;
  record.set_enabled_at = At<&MenuModel::SetFlagOf<&MenuItem::enabled>>;
  record.is_checked = ById<&MenuModel::FlagOf<&MenuItem::checked>>;
  record.is_checked_at = At<&MenuModel::FlagOf<&MenuItem::checked>>;
  record.set_checked = ById<&MenuModel::SetFlagOf<&MenuItem::checked>>;
  record.set_checked_at = At<&MenuModel::SetFlagOf<&MenuItem::checked>>;
  record.has_accelerator = ById<&MenuModel::HasAcceleratorOf>;
  record.has_accelerator_at = At<&MenuModel::HasAcceleratorOf>;
  record.set_accelerator = ById<&MenuModel::SetAcceleratorOf>;
  record.set_accelerator_at = At<&MenuModel::SetAcceleratorOf>;
  record.remove_accelerator = ById<&MenuModel::RemoveAcceleratorOf>;
  record.remove_accelerator_at = At<&MenuModel::RemoveAcceleratorOf>;
  record.get_accelerator = ById<&MenuModel::AcceleratorOf>;
  record.get_accelerator_at = At<&MenuModel::AcceleratorOf>;
}

}  // namespace

cef_menu_model_t* NewMenuModel() { return MakeEngineObject<MenuModel>()->record(); }

}  // namespace devengine
