#include "FakePlatform.h"

#include "app/AppState.h"
#include "app/Menu.h"
#include "core/StructureModel.h"
#include "graphics/RecordingCanvas.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct BadFile {
    std::string name;
    std::string message; // first line of the expected message
};

// The refused files of the batch corpus, with the first line of the message
// each must produce.
std::vector<BadFile> Corpus()
{
    std::vector<BadFile> files;
    std::istringstream manifest(ReadFile(VELA_TEST_DATA_DIR "/bad/EXPECTED"));
    std::string line;
    while (std::getline(manifest, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        BadFile file;
        std::getline(fields, file.name, '\t');
        std::getline(fields, file.message, '\t');
        files.push_back(file);
    }
    return files;
}

// Every file the batch command refuses, opened in the window over a loaded
// and solved frame: one "Warning!" box with the refusal, and the frame is
// still there, still drawn and still solvable.
TEST(DesktopBadFiles, EachRefusalKeepsTheModelOnScreen)
{
    const std::vector<BadFile> corpus = Corpus();
    ASSERT_GT(corpus.size(), 20u);
    for (const BadFile& bad : corpus) {
        SCOPED_TRACE(bad.name);
        ScratchDir home;
        FakePlatform platform;
        platform.m_CurrentDirectory = home.Path();
        AppState state(platform);
        state.OnSize(640, 480);
        platform.m_Choices.push_back(home.Write("frame.txt", PortalFrame()));
        state.OnCommand(MenuId::Open);
        state.OnCommand(MenuId::Solve);
        ASSERT_TRUE(state.m_Solved);
        const StructureModel* model = state.m_Model.get();

        platform.Forget();
        platform.m_Choices.push_back(home.Write(bad.name, ReadFile(VELA_TEST_DATA_DIR "/bad/" + bad.name)));
        state.OnCommand(MenuId::Open);
        if (bad.message.rfind("fail:", 0) == 0) {
            // A mechanism reads and loads; it is refused when solved, and
            // stays on screen unsolved.
            EXPECT_TRUE(platform.m_Messages.empty());
            state.OnCommand(MenuId::Solve);
            ASSERT_EQ(platform.m_Messages.size(), 1u);
            EXPECT_EQ(platform.m_Messages[0].text.substr(0, 5), "fail:");
            EXPECT_FALSE(state.m_Solved);
            continue;
        }
        ASSERT_EQ(platform.m_Messages.size(), 1u);
        EXPECT_EQ(platform.m_Messages[0].caption, "Warning!");
        EXPECT_EQ(platform.m_Messages[0].text.substr(0, platform.m_Messages[0].text.find('\n')), bad.message);
        EXPECT_EQ(state.m_Model.get(), model);

        RecordingCanvas canvas;
        state.Paint(canvas);
        EXPECT_FALSE(canvas.m_Segments.empty());

        platform.Forget();
        state.OnCommand(MenuId::Solve);
        EXPECT_TRUE(platform.m_Messages.empty());
        EXPECT_TRUE(state.m_Solved);
    }
}

} // namespace
