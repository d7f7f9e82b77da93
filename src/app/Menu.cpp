#include "app/Menu.h"

#include <cctype>
#include <string>

const std::vector<MenuPopupDesc>& MainMenu()
{
    static const std::vector<MenuPopupDesc> menu = {
        {"&File",
         {
             {"&Open", MenuId::Open, false, false, "Ctrl+O"},
             {"&Reload", MenuId::Reload, false, false, "Ctrl+R"},
             {"Recent &Files", MenuId::RecentFiles, false, false, nullptr},
             {nullptr, MenuId::Separator, false, false, nullptr},
             {"&Edit Current File", MenuId::EditCurrentFile, false, false, nullptr},
             {"S&tart From Example File", MenuId::StartFromExample, false, false, nullptr},
             {nullptr, MenuId::Separator, false, false, nullptr},
             {"Export Res&ults…", MenuId::ExportResults, false, false, nullptr},
             {"Save &Picture…", MenuId::SavePicture, false, false, nullptr},
             {nullptr, MenuId::Separator, false, false, nullptr},
             {"E&xit", MenuId::Exit, false, false, "Ctrl+Q"},
         }},
        {"&Calculate",
         {
             {"&Solve", MenuId::Solve, false, false, "F5"},
         }},
        {"&Draw",
         {
             {"&Origin Structure", MenuId::OriginStructure, false, false, nullptr},
             {"&Deformed", MenuId::Deformed, false, false, nullptr},
             {"&Bending Moment", MenuId::BendingMoment, false, false, nullptr},
             {"&Shearing Force", MenuId::ShearingForce, false, false, nullptr},
             {"&Axial Force", MenuId::AxialForce, false, false, nullptr},
             {"&Reactions", MenuId::Reactions, true, false, nullptr},
         }},
        {"&View",
         {
             {"&Node Numbers", MenuId::NodeNumbers, true, false, nullptr},
             {"&Element Numbers", MenuId::ElementNumbers, true, false, nullptr},
             {"&Values", MenuId::Values, true, true, nullptr},
             {"Res&ults", MenuId::Results, true, false, nullptr},
             {"&Messages", MenuId::Messages, true, false, nullptr},
             {"&Black Background", MenuId::BlackBackground, true, true, nullptr},
             {"&White Background", MenuId::WhiteBackground, true, false, nullptr},
         }},
        {"&Result",
         {
             {"&Nodal Displacement", MenuId::NodalDisplacement, false, false, nullptr},
             {"M&DisInGlobalCS", MenuId::MDisInGlobalCS, false, false, nullptr},
             {"Nodal &Reaction", MenuId::NodalReaction, false, false, nullptr},
             {"MForIn&ElemCS", MenuId::MForInElemCS, false, false, nullptr},
             {"MForIn&GlobalCS", MenuId::MForInGlobalCS, false, false, nullptr},
         }},
    };
    return menu;
}

KeyChord ParseShortcut(const char* shortcut)
{
    KeyChord chord;
    if (!shortcut)
        return chord;
    std::string rest = shortcut;
    if (rest.rfind("Ctrl+", 0) == 0) {
        chord.ctrl = true;
        rest.erase(0, 5);
    }
    const auto upper = [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); };
    if (rest.size() == 1 && std::isalnum(static_cast<unsigned char>(rest[0]))) {
        chord.key = upper(rest[0]);
        return chord;
    }
    if (rest.size() >= 2 && rest.size() <= 3 && upper(rest[0]) == 'F' &&
        std::isdigit(static_cast<unsigned char>(rest[1])) &&
        (rest.size() == 2 || std::isdigit(static_cast<unsigned char>(rest[2])))) {
        const int n = std::stoi(rest.substr(1));
        if (n >= 1 && n <= 24) {
            chord.function = n;
            return chord;
        }
    }
    return KeyChord{};
}
