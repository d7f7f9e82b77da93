#include "app/AppState.h"

#include "app/Menu.h"
#include "app/Platform.h"
#include "app/Translations.h"
#include "core/FatalError.h"
#include "core/PlatformFiles.h"
#include "core/StructureModel.h"
#include "core/TextFile.h"
#include "graphics/ViewTransform.h"
#include "inspect/ModelResults.h"
#include "reports/PostProcess.h"

#include <filesystem>
#include <new>

namespace {

const char* const kCaption = "Warning!";
const char* const kNotSolved = "结构还未求解!";
const char* const kDirectoryBlocked = "当前文件所在设备无法写入!这样会造成某些计算结果无法输出。";
const char* const kExampleFile = "综合算例.txt";
const char* const kNoFileYet = "还没有在打开对话框中选择文件!";
const char* const kOutOfMemory = "内存不足!";
const char* const kOpenTitle = "Open a Beam System File";
const char* const kOpenFilter = "Text Files (*.TXT)";
const char* const kExportTitle = "Export Results";
const char* const kExportFilter = "CSV Files (*.csv)";
const char* const kExportName = "Results.csv";

std::string ExportFailedText(const std::string& path)
{
    return "无法写入文件\"" + path + "\"!";
}

std::string FileMissingText(const std::string& name)
{
    return "文件\"" + name + "\"不存在!";
}

std::string ViewerFailedText(const std::string& path)
{
    return "无法启动文本查看器打开文件\"" + path + "\"!";
}

std::string FolderOf(const std::string& path)
{
    return Utf8FromPath(PathFromUtf8(path).parent_path());
}

std::string NameOf(const std::string& path)
{
    return Utf8FromPath(PathFromUtf8(path).filename());
}

const char* ResultFileName(int id)
{
    switch (id) {
    case MenuId::NodalDisplacement:
        return "Nodal_Displacement.txt";
    case MenuId::MForInElemCS:
        return "MForInElemCS.txt";
    case MenuId::MForInGlobalCS:
        return "MForInGlobalCS.txt";
    case MenuId::NodalReaction:
        return "Nodal_Reaction.txt";
    case MenuId::MDisInGlobalCS:
        return "MDisInGlobalCS.txt";
    default:
        return nullptr;
    }
}

void HideLoadsAndSupports(LayerFlags& flags)
{
    flags.m_ShowDistributedLoads = false;
    flags.m_ShowForces = false;
    flags.m_ShowSprings = false;
    flags.m_ShowTorsionalSprings = false;
    flags.m_ShowPrescribed = false;
    flags.m_ShowSupports = false;
}

} // namespace

void AppState::MessageWarnings::Warning(const std::string& text)
{
    m_Platform.ShowMessage(kCaption, WithEnglish(text));
}

AppState::AppState(Platform& platform, std::string buildDate)
    : m_View(std::make_unique<ViewTransform>()), m_Platform(platform), m_BuildDate(std::move(buildDate)),
      m_Sink(platform), m_Setup(m_Sink)
{
    m_Model = m_Setup.NewModel({});
    // Values are shown on the diagrams until the user says otherwise.
    m_ShowValues = true;
}

AppState::~AppState() = default;

void AppState::Warning(const std::string& text)
{
    m_Platform.ShowMessage(kCaption, WithEnglish(text));
}

std::string AppState::WindowTitle() const
{
    std::string title;
    if (m_Loaded)
        title = NameOf(m_LoadedFileName) + " - ";
    title += "Vela";
    if (!m_BuildDate.empty())
        title += " " + m_BuildDate;
    return title;
}

bool AppState::OnCommand(int id)
{
    switch (id) {
    case MenuId::Open:
        if (ChooseBeamSystemFile())
            OpenChosenFile(m_FileName);
        return true;
    case MenuId::Deformed:
    case MenuId::BendingMoment:
    case MenuId::ShearingForce:
    case MenuId::AxialForce:
        ShowDiagram(id);
        return true;
    case MenuId::Reactions:
        ToggleReactions();
        return true;
    case MenuId::Values:
        ToggleValues();
        return true;
    case MenuId::Results:
        ToggleResultsPanel();
        return true;
    case MenuId::ExportResults:
        ExportResults();
        return true;
    case MenuId::OriginStructure:
        ShowOriginStructure();
        return true;
    case MenuId::BlackBackground:
    case MenuId::WhiteBackground:
        ChooseBackground(id);
        return true;
    case MenuId::NodeNumbers:
    case MenuId::ElementNumbers:
        ToggleNumbers(id);
        return true;
    case MenuId::NodalDisplacement:
    case MenuId::MForInElemCS:
    case MenuId::MForInGlobalCS:
    case MenuId::NodalReaction:
    case MenuId::MDisInGlobalCS:
        ShowResult(id);
        return true;
    case MenuId::Solve:
        SolveModel();
        return true;
    case MenuId::StartFromExample:
        StartFromExampleFile();
        return true;
    case MenuId::EditCurrentFile:
        EditCurrentFile();
        return true;
    default:
        return false;
    }
}

bool AppState::ChooseBeamSystemFile()
{
    std::optional<std::string> chosen = m_Platform.ChooseFileToOpen(kOpenTitle, kOpenFilter, m_FileName);
    if (!chosen || chosen->empty())
        return false;
    m_FileName = *chosen;
    m_FileTitle = NameOf(m_FileName);
    return true;
}

bool AppState::OpenChosenFile(const std::string& path)
{
    m_FileName = path;
    m_FileTitle = NameOf(path);
    const std::string folder = FolderOf(path);
    if (!folder.empty())
        m_Platform.SetCurrentDirectory(folder);
    return LoadBeamSystemFile(path);
}

bool AppState::OutputDirectoryBlocked()
{
    // The probe must never touch a file of the user's, so it takes the
    // first name that is free and creates it exclusively.
    const std::string folder = m_Platform.CurrentDirectory();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = attempt == 0 ? "temp.tmp" : "temp" + std::to_string(attempt) + ".tmp";
        const std::string probe = JoinPath(folder, name);
        if (m_Platform.FileExists(probe))
            continue;
        if (m_Platform.CreateNewFile(probe)) {
            m_Platform.RemoveFile(probe);
            return false;
        }
        // Someone else may have taken the name in the meantime.
        if (m_Platform.FileExists(probe))
            continue;
        Warning(kDirectoryBlocked);
        return true;
    }
    // Every probe name is taken; the writers report any real failure.
    return false;
}

bool AppState::LoadBeamSystemFile(const std::string& path)
{
    if (OutputDirectoryBlocked())
        return false;

    std::unique_ptr<StructureModel> model;
    try {
        model = m_Setup.LoadModel(path, ModelOptions{m_Platform.CurrentDirectory()});
    } catch (const FatalError& error) {
        Warning(error.Message());
        return false;
    } catch (const std::bad_alloc&) {
        Warning(kOutOfMemory);
        return false;
    }

    // The old results refer to the old model: they go first.
    SetResults(nullptr);
    m_Model = std::move(model);
    m_View = std::make_unique<ViewTransform>();
    m_Loaded = true;
    m_LoadedFileName = path;

    m_Box = {m_Model->m_XMin, m_Model->m_XMax, m_Model->m_YMin, m_Model->m_YMax};
    m_View->SetUp(m_ClientWidth, m_ClientHeight, m_Box.m_XMin, m_Box.m_XMax, m_Box.m_YMin, m_Box.m_YMax);

    // Whether values are shown is the user's choice, kept across files.
    const bool values = m_ShowValues;
    static_cast<LayerFlags&>(*this) = FreshStructureLayers();
    m_ShowValues = values;
    m_Solved = false;
    FitView();
    m_HoverElement = m_HoverNode = -1;
    m_StatusText.clear();
    m_Platform.SetStatusText(m_StatusText);

    m_Platform.SetMenuCheck(MenuId::NodeNumbers, false);
    m_Platform.SetMenuCheck(MenuId::ElementNumbers, m_ShowElementNumbers);
    m_Platform.SetMenuCheck(MenuId::Reactions, false);
    m_Platform.SetWindowTitle(WindowTitle());
    m_Platform.Repaint(true);
    return true;
}

void AppState::SolveModel()
{
    // The model of a window without a file holds no system to solve.
    if (!m_Loaded)
        return;
    // Results of an earlier solution are replaced, whatever happens.
    SetResults(nullptr);
    try {
        m_Model->Solve();
        m_Solved = true;
        PostProcess(*m_Model);
        SetResults(std::make_unique<ModelResults>(*m_Model));
        return;
    } catch (const FatalError& error) {
        m_Solved = false;
        Warning(error.Message());
    } catch (const std::bad_alloc&) {
        m_Solved = false;
        Warning(kOutOfMemory);
    }
    // Diagrams of an earlier solution would now belong to an unsolved model.
    if (m_ShowDeformed || m_ShowMoment || m_ShowShear || m_ShowAxial || m_ShowReactions) {
        m_ShowDeformed = m_ShowMoment = m_ShowShear = m_ShowAxial = m_ShowReactions = false;
        m_Platform.SetMenuCheck(MenuId::Reactions, false);
        m_Platform.Repaint(true);
    }
}

void AppState::ShowDiagram(int id)
{
    if (!m_Solved) {
        Warning(kNotSolved);
        m_Platform.Repaint(true);
        return;
    }
    m_ShowStructure = true;
    m_ShowDeformed = id == MenuId::Deformed;
    m_ShowMoment = id == MenuId::BendingMoment;
    m_ShowShear = id == MenuId::ShearingForce;
    m_ShowAxial = id == MenuId::AxialForce;
    HideLoadsAndSupports(*this);
    m_Platform.Repaint(true);
}

void AppState::ShowOriginStructure()
{
    // The View switches and the reactions are the user's, not the scene's.
    const LayerFlags kept = *this;
    static_cast<LayerFlags&>(*this) = FreshStructureLayers();
    m_ShowNodeNumbers = kept.m_ShowNodeNumbers;
    m_ShowElementNumbers = kept.m_ShowElementNumbers;
    m_ShowValues = kept.m_ShowValues;
    m_ShowReactions = kept.m_ShowReactions;
    m_Platform.Repaint(true);
}

void AppState::ChooseBackground(int id)
{
    m_Platform.SetMenuCheck(m_CheckedBackgroundId, false);
    m_Platform.SetMenuCheck(id, true);
    m_CheckedBackgroundId = id;
    m_BackgroundIndex = id - MenuId::BlackBackground;
    m_Platform.Repaint(true);
}

void AppState::ToggleNumbers(int id)
{
    bool& flag = id == MenuId::NodeNumbers ? m_ShowNodeNumbers : m_ShowElementNumbers;
    flag = !flag;
    m_Platform.SetMenuCheck(id, flag);
    m_Platform.Repaint(true);
}

bool AppState::IsChecked(int id) const
{
    switch (id) {
    case MenuId::NodeNumbers:
        return m_ShowNodeNumbers;
    case MenuId::ElementNumbers:
        return m_ShowElementNumbers;
    case MenuId::Values:
        return m_ShowValues;
    case MenuId::Reactions:
        return m_ShowReactions;
    case MenuId::Results:
        return m_ShowResultsPanel;
    case MenuId::BlackBackground:
    case MenuId::WhiteBackground:
        return id == m_CheckedBackgroundId;
    default:
        return false;
    }
}

void AppState::ToggleReactions()
{
    if (!m_Solved) {
        Warning(kNotSolved);
        m_Platform.Repaint(true);
        return;
    }
    m_ShowReactions = !m_ShowReactions;
    m_Platform.SetMenuCheck(MenuId::Reactions, m_ShowReactions);
    m_Platform.Repaint(true);
}

void AppState::ToggleValues()
{
    m_ShowValues = !m_ShowValues;
    m_Platform.SetMenuCheck(MenuId::Values, m_ShowValues);
    m_Platform.Repaint(true);
}

void AppState::ToggleResultsPanel()
{
    m_ShowResultsPanel = !m_ShowResultsPanel;
    m_Platform.SetMenuCheck(MenuId::Results, m_ShowResultsPanel);
    m_Platform.ShowResultsPanel(m_ShowResultsPanel);
}

void AppState::OnResultsPanelClosed()
{
    m_ShowResultsPanel = false;
    m_Platform.SetMenuCheck(MenuId::Results, false);
}

const std::vector<ResultTable>& AppState::ResultTables()
{
    if (!m_TablesMade && m_Results) {
        m_Tables = BuildResultTables(*m_Results);
        m_TablesMade = true;
    }
    return m_Tables;
}

void AppState::SetResults(std::unique_ptr<ModelResults> results)
{
    const bool changed = m_Results || results;
    m_Results = std::move(results);
    m_Tables.clear();
    m_TablesMade = false;
    if (changed)
        m_Platform.ResultsChanged();
}

void AppState::ExportResults()
{
    if (!m_Solved || !m_Results) {
        Warning(kNotSolved);
        return;
    }
    const std::string folder = m_Model->m_OutputDir.empty() ? m_Platform.CurrentDirectory() : m_Model->m_OutputDir;
    const std::optional<std::string> path =
        m_Platform.ChooseFileToSave(kExportTitle, kExportFilter, JoinPath(folder, kExportName));
    if (!path || path->empty())
        return;
    try {
        WriteTextFile(*path, ResultTablesCsv(ResultTables()), ExportFailedText(*path));
    } catch (const FatalError& error) {
        Warning(error.Message());
    } catch (const std::bad_alloc&) {
        Warning(kOutOfMemory);
    }
}

void AppState::ShowResult(int id)
{
    if (!m_Solved) {
        Warning(kNotSolved);
        return;
    }
    // The result files lie where this model wrote them, which is the current
    // folder unless a later Open moved it and then failed.
    const char* name = ResultFileName(id);
    const std::string path = JoinPath(m_Model->m_OutputDir, name);
    if (!m_Platform.FileExists(path)) {
        Warning(FileMissingText(name));
        return;
    }
    OpenInViewer(path);
}

void AppState::StartFromExampleFile()
{
    const std::string path = JoinPath(m_Platform.CurrentDirectory(), kExampleFile);
    if (!m_Platform.FileExists(path)) {
        Warning(FileMissingText(kExampleFile));
        return;
    }
    LoadBeamSystemFile(path);
    OpenInViewer(path);
}

void AppState::EditCurrentFile()
{
    if (m_FileName.empty()) {
        Warning(kNoFileYet);
        return;
    }
    OpenInViewer(m_FileName);
}

void AppState::OpenInViewer(const std::string& path)
{
    if (!m_Platform.OpenInViewer(path))
        Warning(ViewerFailedText(path));
}
