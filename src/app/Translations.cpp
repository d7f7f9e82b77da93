#include "app/Translations.h"

#include <algorithm>

namespace {

// The program's texts and their English. "{}" stands for a file name or a
// path, the same in both.
struct Translation {
    std::string_view text;
    std::string_view english;
};

constexpr Translation kTranslations[] = {
    // The window's own.
    {"结构还未求解!", "The structure has not been solved yet!"},
    {"当前文件所在设备无法写入!这样会造成某些计算结果无法输出。",
     "The current file's device cannot be written to! Some results will not be written."},
    {"还没有在打开对话框中选择文件!", "No file has been chosen in the Open dialog yet!"},
    {"内存不足!", "Out of memory!"},
    {"无法写入文件\"{}\"!", "Cannot write the file \"{}\"!"},
    {"文件\"{}\"不存在!", "The file \"{}\" does not exist!"},
    {"无法启动文本查看器打开文件\"{}\"!", "Cannot start the text viewer to open the file \"{}\"!"},
    // Reading a Beam System File.
    {"前处理文本文件读取错误!", "Error reading the Beam System File!"},
    {"前处理文本文件版本错误!", "Wrong release of the Beam System File!"},
    {"节点号错误!", "Wrong node number!"},
    {"单元号错误!", "Wrong element number!"},
    {"单元属性号错误!", "Wrong element property number!"},
    {"单元长度为零!", "An element has zero length!"},
    {"弹簧方向错误!", "Wrong spring direction!"},
    // The model and its matrices.
    {"这两个矩阵不能相加!", "These two matrices cannot be added!"},
    {"这两个矩阵不能相乘!", "These two matrices cannot be multiplied!"},
    {"单元属性数目<1 !", "Fewer than 1 element property!"},
    {"包围盒大小为零!", "The bounding box has zero size!"},
    // The drawing scales.
    {"梁系集中力太小|Fmax|<1e-10!", "The concentrated loads are too small: |Fmax| < 1e-10!"},
    {"临时给m_VisualScaleofForce赋值为1", "m_VisualScaleofForce is set to 1 for now"},
    {"梁系分布压力太小|Pmax|<1e-10!", "The distributed loads are too small: |Pmax| < 1e-10!"},
    {"临时给m_VisualScaleofPress赋值为1", "m_VisualScaleofPress is set to 1 for now"},
    {"梁系变形太小|最大线位移<1e-10", "The deformation is too small: largest displacement < 1e-10"},
    {"梁系弯矩太小|Mmax|<1e-10!", "The bending moments are too small: |Mmax| < 1e-10!"},
    {"梁系剪力太小|Nmax|<1e-10!", "The shear forces are too small: |Nmax| < 1e-10!"},
};

constexpr std::string_view kSlot = "{}";

bool PlainAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The English of text by one entry, or false when the entry is not it.
bool Translate(const Translation& entry, std::string_view text, std::string& english)
{
    const std::size_t slot = entry.text.find(kSlot);
    if (slot == std::string_view::npos) {
        if (text != entry.text)
            return false;
        english = entry.english;
        return true;
    }
    const std::string_view before = entry.text.substr(0, slot);
    const std::string_view after = entry.text.substr(slot + kSlot.size());
    if (text.size() < before.size() + after.size() || text.substr(0, before.size()) != before ||
        text.substr(text.size() - after.size()) != after)
        return false;
    const std::string_view filled = text.substr(before.size(), text.size() - before.size() - after.size());
    const std::size_t englishSlot = entry.english.find(kSlot);
    english = std::string(entry.english.substr(0, englishSlot));
    english += filled;
    english += entry.english.substr(englishSlot + kSlot.size());
    return true;
}

} // namespace

std::string EnglishFor(std::string_view text)
{
    if (PlainAscii(text))
        return {};
    std::string english;
    for (const Translation& entry : kTranslations)
        if (Translate(entry, text, english))
            return english;
    return {};
}

std::string WithEnglish(const std::string& message)
{
    const std::size_t end = message.find('\n');
    const std::string_view first = std::string_view(message).substr(0, end);
    const std::string english = EnglishFor(first);
    if (english.empty())
        return message;
    std::string shown(first);
    shown += '\n';
    shown += english;
    if (end != std::string::npos)
        shown += message.substr(end);
    return shown;
}
