#include "app/Menu.h"

const std::vector<MenuPopupDesc>& MainMenu()
{
    static const std::vector<MenuPopupDesc> menu = {
        {"&File",
         {
             {"&Open", MenuId::Open, false, false},
             {"&Edit Current File", MenuId::EditCurrentFile, false, false},
             {"S&tart From Example File", MenuId::StartFromExample, false, false},
             {"E&xport Results…", MenuId::ExportResults, false, false},
         }},
        {"&Calculate",
         {
             {"&Solve", MenuId::Solve, false, false},
         }},
        {"&Draw",
         {
             {"&Origin Structure", MenuId::OriginStructure, false, false},
             {"&Deformed", MenuId::Deformed, false, false},
             {"&Bending Moment", MenuId::BendingMoment, false, false},
             {"&Shearing Force", MenuId::ShearingForce, false, false},
             {"&Axial Force", MenuId::AxialForce, false, false},
             {"&Reactions", MenuId::Reactions, true, false},
         }},
        {"&View",
         {
             {"&Node Numbers", MenuId::NodeNumbers, true, false},
             {"&Element Numbers", MenuId::ElementNumbers, true, false},
             {"&Values", MenuId::Values, true, true},
             {"Res&ults", MenuId::Results, true, false},
             {"&Black Background", MenuId::BlackBackground, true, true},
             {"&White Background", MenuId::WhiteBackground, true, false},
         }},
        {"&Result",
         {
             {"&Nodal Displacement", MenuId::NodalDisplacement, false, false},
             {"M&DisInGlobalCS", MenuId::MDisInGlobalCS, false, false},
             {"Nodal &Reaction", MenuId::NodalReaction, false, false},
             {"MForIn&ElemCS", MenuId::MForInElemCS, false, false},
             {"MForIn&GlobalCS", MenuId::MForInGlobalCS, false, false},
         }},
    };
    return menu;
}
