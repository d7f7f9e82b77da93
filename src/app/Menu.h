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
} // namespace MenuId

// One command of a popup. The caption marks its mnemonic with '&'.
// Checkable items show a check mark that the commands set; initiallyChecked
// is the state before the first command.
struct MenuItemDesc {
    const char* caption;
    int id;
    bool checkable;
    bool initiallyChecked;
};

struct MenuPopupDesc {
    const char* caption;
    std::vector<MenuItemDesc> items;
};

// The main window's menu bar, popups in order, from which the window builds
// its menu.
const std::vector<MenuPopupDesc>& MainMenu();
