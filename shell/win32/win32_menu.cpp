// Menus: menu bars and popups loaded from the program's resource script, attached to top-level
// windows as a Qt menu bar; check marks and enabled states by command or position; a chosen item
// posts WM_COMMAND with its identifier to the window. A greyed item is drawn grey and cannot be
// chosen; a disabled (INACTIVE) one is drawn normally and cannot be chosen either.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStyleOptionMenuItem>

#include "shell/win32/win32_internal.h"
#include "shell/win32/win32_qt.h"
#include "shell/win32/win32_resource.h"

namespace {

constexpr const char* kDrawnEnabled = "win32_drawn_enabled";

// A popup that draws disabled (not greyed) items like enabled ones.
class PopupMenu : public QMenu {
 public:
  using QMenu::QMenu;

 protected:
  void initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const override {
    QMenu::initStyleOption(option, action);
    if (action && !action->isEnabled() && action->property(kDrawnEnabled).toBool()) {
      option->state |= QStyle::State_Enabled;
      option->palette.setCurrentColorGroup(QPalette::Active);
    }
  }
};

QString MenuText(const std::wstring& text) { return QString::fromStdWString(text); }

// The window that receives WM_COMMAND for items of this menu: that of its menu bar.
HWND CommandWindow(Win32Menu* menu) {
  while (menu && menu->parent) menu = Win32MenuFromHandle(menu->parent);
  return menu ? menu->window : nullptr;
}

void ApplyState(Win32MenuItem& item) {
  if (!item.action) return;
  const bool checked = (item.flags & MF_CHECKED) != 0;
  item.action->setCheckable(checked);
  item.action->setChecked(checked);
  item.action->setEnabled(!(item.flags & (MF_GRAYED | MF_DISABLED)));
  item.action->setProperty(kDrawnEnabled, (item.flags & MF_DISABLED) && !(item.flags & MF_GRAYED));
}

// Creates the Qt action of one item in a Qt menu or menu bar.
void BuildAction(QWidget* container, HMENU owner, size_t index) {
  Win32Menu* menu = Win32MenuFromHandle(owner);
  Win32MenuItem& item = menu->items[index];
  QMenu* as_menu = qobject_cast<QMenu*>(container);
  QMenuBar* as_bar = qobject_cast<QMenuBar*>(container);
  if (item.flags & MF_SEPARATOR) {
    item.action = as_menu ? as_menu->addSeparator() : as_bar->addSeparator();
    return;
  }
  if (item.flags & MF_POPUP) {
    Win32Menu* sub = Win32MenuFromHandle(item.submenu);
    sub->qmenu->setTitle(MenuText(item.text));
    item.action = as_menu ? as_menu->addMenu(sub->qmenu) : as_bar->addMenu(sub->qmenu);
  } else {
    item.action = as_menu ? as_menu->addAction(MenuText(item.text)) : as_bar->addAction(MenuText(item.text));
    const UINT id = item.id;
    QObject::connect(item.action, &QAction::triggered, item.action, [owner, id]() {
      Win32Menu* current = Win32MenuFromHandle(owner);
      if (!current) return;
      for (Win32MenuItem& entry : current->items) {
        if (entry.id == id && !(entry.flags & (MF_POPUP | MF_SEPARATOR))) ApplyState(entry);
      }
      if (HWND window = CommandWindow(current)) Win32Post(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    });
  }
  ApplyState(item);
}

HMENU CreateFromTemplate(const std::vector<Win32MenuTemplateItem>& items, bool popup, HMENU parent) {
  Win32Menu* menu = new Win32Menu;
  menu->popup = popup;
  menu->parent = parent;
  HMENU handle = Win32AddMenu(menu);
  if (popup) menu->qmenu = new PopupMenu;
  for (const Win32MenuTemplateItem& source : items) {
    Win32MenuItem item;
    item.flags = source.flags;
    item.id = source.id;
    item.text = source.text;
    if (source.flags & MF_POPUP) item.submenu = CreateFromTemplate(source.children, true, handle);
    Win32MenuFromHandle(handle)->items.push_back(item);
  }
  menu = Win32MenuFromHandle(handle);
  if (popup) {
    for (size_t i = 0; i < menu->items.size(); ++i) BuildAction(menu->qmenu, handle, i);
  }
  return handle;
}

QMenuBar* EnsureBar(Win32Menu* menu) {
  if (!menu->bar) {
    menu->bar = Win32CreateMenuBar();
    for (size_t i = 0; i < menu->items.size(); ++i) BuildAction(menu->bar, menu->handle, i);
  }
  return menu->bar;
}

// Finds an item by command identifier (searching submenus) or by position.
Win32MenuItem* FindItem(HMENU handle, UINT item, UINT flags) {
  Win32Menu* menu = Win32MenuFromHandle(handle);
  if (!menu) return nullptr;
  if (flags & MF_BYPOSITION) return item < menu->items.size() ? &menu->items[item] : nullptr;
  for (Win32MenuItem& entry : menu->items) {
    if (!(entry.flags & (MF_POPUP | MF_SEPARATOR)) && entry.id == item) return &entry;
  }
  for (Win32MenuItem& entry : menu->items) {
    if (entry.flags & MF_POPUP) {
      if (Win32MenuItem* found = FindItem(entry.submenu, item, flags)) return found;
    }
  }
  return nullptr;
}

void DestroyTree(HMENU handle) {
  Win32Menu* menu = Win32MenuFromHandle(handle);
  if (!menu) return;
  for (const Win32MenuItem& item : menu->items) {
    if (item.submenu) DestroyTree(item.submenu);
  }
  if (menu->bar) menu->bar->deleteLater();
  if (menu->qmenu) menu->qmenu->deleteLater();
  Win32RemoveMenu(handle);
}

}  // namespace

HMENU LoadMenuW(HINSTANCE instance, LPCWSTR menuName) {
  Win32Application();
  if (instance && instance != GetModuleHandleW(nullptr)) {
    Win32NotImplemented("LoadMenuW", "resources of other modules");
    return nullptr;
  }
  std::vector<Win32MenuTemplateItem> items;
  std::string error;
  if (!Win32ReadMenuTemplate(kWin32ResourceScript, kWin32ResourceHeader, menuName, &items, &error)) {
    Win32Fail("LoadMenuW", ERROR_RESOURCE_NAME_NOT_FOUND, error.c_str());
    return nullptr;
  }
  return CreateFromTemplate(items, false, nullptr);
}

BOOL SetMenu(HWND hwnd, HMENU menu) {
  Win32Window* window = Win32FromHandle(hwnd);
  if (!window || !window->IsTopLevel()) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  Win32Menu* entry = nullptr;
  if (menu) {
    entry = Win32MenuFromHandle(menu);
    if (!entry || entry->popup) {
      SetLastError(ERROR_INVALID_MENU_HANDLE);
      return FALSE;
    }
  }
  if (Win32Menu* old = Win32MenuFromHandle(window->menu)) old->window = nullptr;
  window->menu = menu;
  if (entry) {
    if (Win32Window* previous = Win32FromHandle(entry->window)) {
      if (previous != window) {
        previous->menu = nullptr;
        Win32AttachMenuBar(previous, nullptr);
        Win32UpdateGeometry(previous->hwnd, Win32GeometryEvent::kPlaced);
      }
    }
    entry->window = hwnd;
  }
  Win32AttachMenuBar(window, entry ? EnsureBar(entry) : nullptr);
  Win32UpdateGeometry(hwnd, Win32GeometryEvent::kPlaced);
  return TRUE;
}

HMENU GetMenu(HWND hwnd) {
  Win32Window* window = Win32FromHandle(hwnd);
  return window ? window->menu : nullptr;
}

BOOL DrawMenuBar(HWND hwnd) {
  if (!Win32FromHandle(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return TRUE;
}

BOOL DestroyMenu(HMENU menu) {
  Win32Menu* entry = Win32MenuFromHandle(menu);
  if (!entry) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  if (Win32Window* window = Win32FromHandle(entry->window)) {
    window->menu = nullptr;
    Win32AttachMenuBar(window, nullptr);
    Win32UpdateGeometry(window->hwnd, Win32GeometryEvent::kPlaced);
  }
  if (Win32Menu* parent = Win32MenuFromHandle(entry->parent)) {
    for (Win32MenuItem& item : parent->items) {
      if (item.submenu == menu) item.submenu = nullptr;
    }
  }
  DestroyTree(menu);
  return TRUE;
}

DWORD CheckMenuItem(HMENU menu, UINT idCheckItem, UINT check) {
  if (check & ~static_cast<UINT>(MF_BYPOSITION | MF_CHECKED)) {
    Win32NotImplemented("CheckMenuItem", "flags other than MF_BYPOSITION and MF_CHECKED");
    return static_cast<DWORD>(-1);
  }
  Win32MenuItem* item = FindItem(menu, idCheckItem, check);
  if (!item) return static_cast<DWORD>(-1);
  const DWORD previous = item->flags & MF_CHECKED;
  item->flags = (item->flags & ~static_cast<UINT>(MF_CHECKED)) | (check & MF_CHECKED);
  ApplyState(*item);
  return previous;
}

BOOL EnableMenuItem(HMENU menu, UINT idEnableItem, UINT enable) {
  if (enable & ~static_cast<UINT>(MF_BYPOSITION | MF_GRAYED | MF_DISABLED)) {
    Win32NotImplemented("EnableMenuItem", "flags other than MF_BYPOSITION, MF_GRAYED, MF_DISABLED");
    return -1;
  }
  Win32MenuItem* item = FindItem(menu, idEnableItem, enable);
  if (!item) return -1;
  const BOOL previous = static_cast<BOOL>(item->flags & (MF_GRAYED | MF_DISABLED));
  item->flags = (item->flags & ~static_cast<UINT>(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
  ApplyState(*item);
  return previous;
}

UINT GetMenuState(HMENU menu, UINT id, UINT flags) {
  Win32MenuItem* item = FindItem(menu, id, flags);
  if (!item) return static_cast<UINT>(-1);
  UINT state = item->flags &
               (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_POPUP | MF_SEPARATOR | MF_MENUBREAK | MF_MENUBARBREAK);
  if (Win32Menu* sub = Win32MenuFromHandle(item->submenu)) {
    state |= static_cast<UINT>(sub->items.size()) << 8;
  }
  return state;
}

int GetMenuItemCount(HMENU menu) {
  Win32Menu* entry = Win32MenuFromHandle(menu);
  if (!entry) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return -1;
  }
  return static_cast<int>(entry->items.size());
}

UINT GetMenuItemID(HMENU menu, int position) {
  Win32Menu* entry = Win32MenuFromHandle(menu);
  if (!entry || position < 0 || position >= static_cast<int>(entry->items.size())) {
    return static_cast<UINT>(-1);
  }
  const Win32MenuItem& item = entry->items[static_cast<size_t>(position)];
  if (item.flags & MF_POPUP) return static_cast<UINT>(-1);
  return (item.flags & MF_SEPARATOR) ? 0 : item.id;
}

HMENU GetSubMenu(HMENU menu, int position) {
  Win32Menu* entry = Win32MenuFromHandle(menu);
  if (!entry || position < 0 || position >= static_cast<int>(entry->items.size())) return nullptr;
  return entry->items[static_cast<size_t>(position)].submenu;
}

int GetMenuStringW(HMENU menu, UINT item, LPWSTR buffer, int maxCount, UINT flags) {
  Win32MenuItem* entry = FindItem(menu, item, flags);
  if (!entry) return 0;
  if (!buffer) return static_cast<int>(entry->text.size());
  return Win32CopyText(entry->text, buffer, maxCount);
}
