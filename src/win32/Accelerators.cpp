#include "win32/Accelerators.h"

#include "win32/Utf16.h"

std::vector<ACCEL> MenuAccelerators(const std::vector<MenuPopupDesc>& menu)
{
    std::vector<ACCEL> table;
    for (const MenuPopupDesc& popup : menu) {
        for (const MenuItemDesc& item : popup.items) {
            const KeyChord chord = ParseShortcut(item.shortcut);
            ACCEL accel{};
            accel.fVirt = FVIRTKEY;
            if (chord.ctrl)
                accel.fVirt |= FCONTROL;
            // The virtual keys of letters and digits are their upper-case
            // characters.
            if (chord.key != 0)
                accel.key = static_cast<WORD>(static_cast<unsigned char>(chord.key));
            else if (chord.function >= 1 && chord.function <= 24)
                accel.key = static_cast<WORD>(VK_F1 + chord.function - 1);
            else
                continue;
            accel.cmd = static_cast<WORD>(item.id);
            table.push_back(accel);
        }
    }
    return table;
}

std::wstring MenuItemText(const MenuItemDesc& item)
{
    std::wstring text = Utf16FromUtf8(item.caption ? item.caption : "");
    if (item.shortcut)
        text += L"\t" + Utf16FromUtf8(item.shortcut);
    return text;
}
