// Every "Warning!" box says the program's own words and, on the next line,
// the same in English.
#include "FakePlatform.h"

#include "app/AppState.h"
#include "app/Menu.h"
#include "app/Translations.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

bool PlainAscii(const std::string& text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// A box whose first line is not English has a second line that is, and the
// first line is the program's text unchanged.
void ExpectEnglishLine(const FakePlatform::Message& message)
{
    SCOPED_TRACE(message.text);
    const std::size_t first = message.text.find('\n');
    const std::string own = message.text.substr(0, first);
    if (PlainAscii(own))
        return;
    ASSERT_NE(first, std::string::npos);
    const std::size_t second = message.text.find('\n', first + 1);
    const std::string english = message.text.substr(first + 1, second - first - 1);
    EXPECT_FALSE(english.empty());
    // English but for a quoted file name, which stays as it is.
    const std::size_t open = english.find('"'), close = english.rfind('"');
    EXPECT_TRUE(PlainAscii(open == close ? english : english.substr(0, open) + english.substr(close)));
    EXPECT_EQ(english, EnglishFor(own));
}

// All the loads and the settlement of the portal frame set to zero: the
// scales' warnings, at load and after the solution.
std::string UnloadedPortal()
{
    std::string text = PortalFrame();
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"1:<10,0,0>", "1:<0,0,0>"},
                                   {"1:-5,-5", "1:0,0"},
                                   {"3:<,-0.001,>", "3:<,0,>"}})
        text.replace(text.find(from), from.size(), to);
    return text;
}

} // namespace

TEST(Translations, TheWindowsOwnTextsReadInEnglishToo)
{
    ScratchDir home;
    FakePlatform platform;
    platform.m_CurrentDirectory = home.Path();
    AppState state(platform);
    state.OnSize(640, 480);

    state.OnCommand(MenuId::EditCurrentFile);   // no file chosen yet
    state.OnCommand(MenuId::StartFromExample);  // no example in this folder
    state.OnCommand(MenuId::NodalDisplacement); // not solved
    platform.m_Choices.push_back(home.Write("frame.txt", UnloadedPortal()));
    state.OnCommand(MenuId::Open);     // loads all but zero
    state.OnCommand(MenuId::Deformed); // not solved
    state.OnCommand(MenuId::Solve);
    platform.m_SaveChoice = home.File("no such folder/results.csv");
    state.OnCommand(MenuId::ExportResults); // cannot write there
    platform.m_FolderBlocked = true;
    platform.m_Choices.push_back(home.File("frame.txt"));
    state.OnCommand(MenuId::Open); // the folder takes no files

    std::vector<std::string> firstLines;
    for (const FakePlatform::Message& message : platform.m_Messages) {
        EXPECT_EQ(message.caption, "Warning!");
        ExpectEnglishLine(message);
        firstLines.push_back(message.text.substr(0, message.text.find('\n')));
    }
    ASSERT_GE(platform.m_Messages.size(), 8u);
    EXPECT_EQ(platform.m_Messages[0].text,
              "还没有在打开对话框中选择文件!\nNo file has been chosen in the Open dialog yet!");
    EXPECT_EQ(platform.m_Messages[1].text, "文件\"综合算例.txt\"不存在!\nThe file \"综合算例.txt\" does not exist!");
    EXPECT_EQ(platform.m_Messages[2].text, "结构还未求解!\nThe structure has not been solved yet!");
    const std::string exportFailed = "无法写入文件\"" + home.File("no such folder/results.csv") + "\"!";
    for (const std::string& text :
         {std::string("梁系集中力太小|Fmax|<1e-10!"), std::string("临时给m_VisualScaleofForce赋值为1"),
          std::string("梁系分布压力太小|Pmax|<1e-10!"), std::string("临时给m_VisualScaleofPress赋值为1"),
          std::string("当前文件所在设备无法写入!这样会造成某些计算结果无法输出。"), exportFailed})
        EXPECT_NE(std::find(firstLines.begin(), firstLines.end(), text), firstLines.end()) << text;
}

TEST(Translations, EveryRefusedFileAndTheTinyResultsReadInEnglishToo)
{
    ScratchDir home;
    FakePlatform platform;
    platform.m_CurrentDirectory = home.Path();
    AppState state(platform);
    int refusals = 0;
    for (const auto& entry : std::filesystem::directory_iterator(VELA_TEST_DATA_DIR "/bad")) {
        const std::string name = entry.path().filename().string();
        if (name == "EXPECTED")
            continue;
        platform.Forget();
        platform.m_Choices.push_back(home.Write(name, ReadFile(entry.path().string())));
        state.OnCommand(MenuId::Open);
        state.OnCommand(MenuId::Solve);
        for (const FakePlatform::Message& message : platform.m_Messages)
            ExpectEnglishLine(message);
        refusals += static_cast<int>(platform.m_Messages.size());
    }
    EXPECT_GT(refusals, 30);

    // Nothing loaded at all: the result scales fall back, with a warning each.
    platform.Forget();
    platform.m_Choices.push_back(home.Write("unloaded.txt", UnloadedPortal()));
    state.OnCommand(MenuId::Open);
    state.OnCommand(MenuId::Solve);
    ASSERT_GE(platform.m_Messages.size(), 7u);
    for (const FakePlatform::Message& message : platform.m_Messages)
        ExpectEnglishLine(message);
}

TEST(Translations, TheEnglishLineGoesUnderTheFirstLineAndKeepsTheDetails)
{
    EXPECT_EQ(WithEnglish("节点号错误!\nline 12: node 7 of 5"),
              "节点号错误!\nWrong node number!\nline 12: node 7 of 5");
    // English already, or not the program's: unchanged.
    EXPECT_EQ(WithEnglish("fail: the stiffness matrix is singular"), "fail: the stiffness matrix is singular");
    EXPECT_EQ(WithEnglish("未知!"), "未知!");
    EXPECT_EQ(EnglishFor("无法写入文件\"/tmp/a \"b\".csv\"!"), "Cannot write the file \"/tmp/a \"b\".csv\"!");
    EXPECT_EQ(EnglishFor("文件\"\"不存在!"), "The file \"\" does not exist!");
    EXPECT_EQ(EnglishFor("文件\"x\"不存在"), "");
}
