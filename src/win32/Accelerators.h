#pragma once

#include "app/Menu.h"
#include "win32/WindowsHeaders.h"

#include <string>
#include <vector>

// The window's key table from the shortcuts of the menu description: each
// item with a shortcut ("Ctrl+O", "F5") becomes a virtual-key accelerator
// that sends the item's command. Shortcuts that are neither a letter or
// digit nor a function key are left out.
std::vector<ACCEL> MenuAccelerators(const std::vector<MenuPopupDesc>& menu);

// The menu item's text: the caption, and its shortcut after a tab, where
// Windows shows it right-aligned.
std::wstring MenuItemText(const MenuItemDesc& item);
