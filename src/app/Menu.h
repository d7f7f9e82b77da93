#pragma once

#include <vector>

// Command ids of the main menu. They are stable: the window dispatches on
// them and the check marks are set by them.
namespace MenuId {
inline constexpr int Open = 40001;
inline constexpr int Deformed = 40002;
inline constexpr int BendingMoment = 40003;
inline constexpr int ShearingForce = 40004;
inline constexpr int OriginStructure = 40005;
inline constexpr int BlackBackground = 40006;
inline constexpr int WhiteBackground = 40007;
inline constexpr int NodeNumbers = 40009;
inline constexpr int ElementNumbers = 40010;
inline constexpr int NodalDisplacement = 40011;
inline constexpr int MForInElemCS = 40012;
inline constexpr int MForInGlobalCS = 40013;
inline constexpr int NodalReaction = 40014;
inline constexpr int Solve = 40017;
inline constexpr int StartFromExample = 40019;
inline constexpr int EditCurrentFile = 40020;
inline constexpr int MDisInGlobalCS = 40022;
inline constexpr int AxialForce = 40023;
inline constexpr int Reactions = 40024;
inline constexpr int Values = 40025;
inline constexpr int Results = 40026;
inline constexpr int ExportResults = 40027;
inline constexpr int Reload = 40028;
inline constexpr int SavePicture = 40029;
inline constexpr int Exit = 40030;
inline constexpr int Messages = 40031;
// Not an item: the Cancel button of the busy indicator.
inline constexpr int Cancel = 40032;
// The File > Recent Files submenu: the front end fills it with
// RecentFile0 + i, i = 0 for the most recent file (at most RecentFileCount).
inline constexpr int RecentFiles = 40033;
inline constexpr int RecentFile0 = 40040;
inline constexpr int RecentFileCount = 8;
// A line between groups of items.
inline constexpr int Separator = 0;
} // namespace MenuId

// One command of a popup. The caption marks its mnemonic with '&'.
// Checkable items show a check mark that the commands set; initiallyChecked
// is the state before the first command. shortcut is the key that runs the
// command from anywhere in the window, as "Ctrl+O" or "F5" (null: none),
// shown beside the caption. An item with id MenuId::Separator is a line;
// the one with id MenuId::RecentFiles is a submenu the front end fills.
struct MenuItemDesc {
    const char* caption;
    int id;
    bool checkable;
    bool initiallyChecked;
    const char* shortcut;
};

// A shortcut taken apart, for front ends that build a key table: Ctrl held
// or not, and either an upper-case letter or digit (key) or a function key
// F1..F24 (function, 1-based). Both zero for a text that is none of these.
struct KeyChord {
    bool ctrl = false;
    char key = 0;
    int function = 0;
};
KeyChord ParseShortcut(const char* shortcut);

struct MenuPopupDesc {
    const char* caption;
    std::vector<MenuItemDesc> items;
};

// The main window's menu bar, popups in order, from which the window builds
// its menu.
const std::vector<MenuPopupDesc>& MainMenu();
