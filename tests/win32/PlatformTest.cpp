#include "win32/Accelerators.h"
#include "win32/Win32Platform.h"

#include "core/FatalError.h"
#include "graphics/Canvas.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

bool HasAccel(const std::vector<ACCEL>& table, BYTE flags, WORD key, int id)
{
    for (const ACCEL& accel : table)
        if (accel.fVirt == flags && accel.key == key && accel.cmd == id)
            return true;
    return false;
}

} // namespace

TEST(MenuAccelerators, EveryShortcutOfTheMenuBecomesAVirtualKeyOfItsCommand)
{
    const std::vector<ACCEL> table = MenuAccelerators(MainMenu());
    std::size_t shortcuts = 0;
    for (const MenuPopupDesc& popup : MainMenu())
        for (const MenuItemDesc& item : popup.items)
            shortcuts += item.shortcut != nullptr;
    EXPECT_EQ(table.size(), shortcuts);
    EXPECT_TRUE(HasAccel(table, FVIRTKEY | FCONTROL, 'O', MenuId::Open));
    EXPECT_TRUE(HasAccel(table, FVIRTKEY | FCONTROL, 'R', MenuId::Reload));
    EXPECT_TRUE(HasAccel(table, FVIRTKEY, VK_F5, MenuId::Solve));

    const std::vector<MenuPopupDesc> menu = {{"&Test",
                                              {{"Seven", 7, false, false, "Ctrl+7"},
                                               {"Twelve", 12, false, false, "F12"},
                                               {"Lower", 13, false, false, "ctrl+q"},
                                               {"Shifted", 14, false, false, "Shift+X"},
                                               {"None", 15, false, false, nullptr}}}};
    const std::vector<ACCEL> custom = MenuAccelerators(menu);
    ASSERT_EQ(custom.size(), 2u + (ParseShortcut("ctrl+q").key != 0));
    EXPECT_TRUE(HasAccel(custom, FVIRTKEY | FCONTROL, '7', 7));
    EXPECT_TRUE(HasAccel(custom, FVIRTKEY, VK_F12, 12));
}

TEST(MenuItemText, TheShortcutFollowsTheCaptionAfterATab)
{
    EXPECT_EQ(MenuItemText({"&Open", 1, false, false, "Ctrl+O"}), L"&Open\tCtrl+O");
    EXPECT_EQ(MenuItemText({"E&xport Results…", 2, false, false, nullptr}), L"E&xport Results\u2026");
}

TEST(DialogFilter, EachEntryIsItsDescriptionThenItsPatternsEndedByNul)
{
    EXPECT_EQ(DialogFilter("Text Files (*.TXT)"), L"Text Files (*.TXT)\0*.TXT\0"s);
    EXPECT_EQ(DialogFilter("Pictures (*.png *.svg)"), L"Pictures (*.png *.svg)\0*.png;*.svg\0"s);
    EXPECT_EQ(DialogFilter("Everything"), L"Everything\0*.*\0"s);
    EXPECT_EQ(DialogFilter("文本 (*.txt)"), L"\u6587\u672c (*.txt)\0*.txt\0"s);
    EXPECT_EQ(DialogFilter("PNG Image (*.png);;SVG Image (*.svg)"),
              L"PNG Image (*.png)\0*.png\0SVG Image (*.svg)\0*.svg\0"s);
}

TEST(DialogFilter, TheSuggestedNamesExtensionPicksTheEntryShownFirst)
{
    const std::string pictures = "PNG Image (*.png);;SVG Image (*.svg);;PDF Document (*.pdf)";
    EXPECT_EQ(FilterIndexFor(pictures, "C:\\frames\\portal.SVG"), 2);
    EXPECT_EQ(FilterIndexFor(pictures, "C:\\frames\\portal.pdf"), 3);
    EXPECT_EQ(FilterIndexFor(pictures, "C:\\frames\\portal.png"), 1);
    EXPECT_EQ(FilterIndexFor(pictures, "C:\\frames.d\\portal"), 1);
    EXPECT_EQ(FilterIndexFor(pictures, "C:\\frames\\portal.jpg"), 1);
}

TEST(RecentFilesRegistry, TheListSurvivesARoundTripThroughTheRegistry)
{
    EXPECT_EQ(ListFromMultiString(MultiStringFromList({"a", "", "b"})), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(MultiStringFromList({}), L"\0"s.substr(0, 1));
    EXPECT_TRUE(ListFromMultiString(L"\0\0"s).empty());

    const std::wstring key = L"Software\\Vela-tests\\registry-" + std::to_wstring(::GetCurrentProcessId());
    Win32Platform platform;
    platform.SetSettingsKey(key);
    EXPECT_TRUE(platform.ReadRecentFiles().empty()) << "no key yet";
    const std::vector<std::string> paths = {"C:\\frames\\portal.txt", "D:\\框架\\综合算例.txt",
                                            "\\\\server\\share\\a b.txt"};
    platform.WriteRecentFiles(paths);
    EXPECT_EQ(platform.ReadRecentFiles(), paths);

    HKEY opened = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE, &opened), ERROR_SUCCESS);
    DWORD type = 0;
    EXPECT_EQ(::RegQueryValueExW(opened, L"RecentFiles", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
    ::RegCloseKey(opened);

    platform.WriteRecentFiles({});
    EXPECT_TRUE(platform.ReadRecentFiles().empty());
    ::RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
}

TEST(PostToUiThread, ACallWithNoWindowToGoToIsDropped)
{
    Win32Platform platform;
    bool ran = false;
    platform.PostToUiThread([&] { ran = true; });
    EXPECT_FALSE(ran);
}

TEST(SavePicture, APngOfTheWindowsSizeOrTheReasonItCannotBeMade)
{
    ScratchDir dir;
    Win32Platform platform;
    int drawn = 0;
    const std::string png = dir.File("frame.png");
    platform.SavePicture(png, 64, 48, MakeColorRef(255, 255, 255), [&](Canvas& canvas) {
        ++drawn;
        canvas.MoveTo(0, 0);
        canvas.LineTo(63, 47);
    });
    EXPECT_EQ(drawn, 1);
    const std::string bytes = ReadFile(png);
    ASSERT_GT(bytes.size(), 24u);
    EXPECT_EQ(bytes.substr(0, 8), "\x89PNG\r\n\x1a\n"s);
    // The header's width and height, big-endian.
    EXPECT_EQ(static_cast<unsigned char>(bytes[19]), 64);
    EXPECT_EQ(static_cast<unsigned char>(bytes[23]), 48);
    // The Windows build makes no PDF: the user is told, nothing is written.
    EXPECT_THROW(platform.SavePicture(dir.File("frame.pdf"), 64, 48, 0, [](Canvas&) {}), FatalError);
    EXPECT_FALSE(FileExists(dir.File("frame.pdf")));
}
