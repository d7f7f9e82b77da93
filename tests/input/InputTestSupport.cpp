#include "InputTestSupport.h"
#include "input/ReadBeamSystemFile.h"

std::string PortalText()
{
    return ReadFile(std::string(VELA_EXAMPLES_DIR) + "/portal.txt");
}

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << "test text does not contain: " << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

ReadResult ReadText(const ScratchDir& dir, const std::string& text)
{
    ReadResult result;
    const std::string path = dir.Write("input.txt", text);
    result.model.m_OutputDir = dir.Path();
    try {
        ReadBeamSystemFile(result.model, path.c_str());
        result.ok = true;
    } catch (const FatalError& error) {
        result.message = error.Message();
        result.status = error.Status();
    }
    return result;
}
