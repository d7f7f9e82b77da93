#include "app/AppState.h"

#include "app/Menu.h"
#include "app/Platform.h"
#include "core/FatalError.h"
#include "core/NumberFormat.h"
#include "core/PlatformFiles.h"
#include "core/Progress.h"
#include "core/StructureModel.h"
#include "core/TextFile.h"
#include "graphics/ViewTransform.h"
#include "inspect/ModelResults.h"
#include "inspect/Scene.h"
#include "reports/PostProcess.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <new>
#include <utility>

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
const char* const kPictureTitle = "Save Picture";
const char* const kPictureFilter = "PNG Image (*.png);;SVG Image (*.svg);;PDF Document (*.pdf)";
const char* const kPictureName = "Picture.png";

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
    m_State.Warning(text);
}

void AppState::MessageWarnings::Notice(const std::string& text)
{
    m_State.AddNotice(text);
}

AppState::AppState(Platform& platform, std::string buildDate)
    : m_View(std::make_unique<ViewTransform>()), m_Platform(platform), m_BuildDate(std::move(buildDate)), m_Sink(*this),
      m_Setup(m_Sink)
{
    m_Model = m_Setup.NewModel({});
    // Values are shown on the diagrams until the user says otherwise.
    m_ShowValues = true;
    m_Recent.Assign(m_Platform.ReadRecentFiles());
    if (m_Recent.DropMissing([this](const std::string& path) { return m_Platform.FileExists(path); }))
        m_Platform.WriteRecentFiles(m_Recent.Paths());
    m_Platform.RecentFilesChanged(m_Recent.Paths());
}

AppState::~AppState()
{
    // The worker's result has nowhere to go any more; a solve stops at its
    // next stage, a load runs to its end.
    m_CancelRequested = true;
    WaitForWorker();
}

void AppState::Warning(const std::string& text)
{
    m_Platform.ShowMessage(kCaption, text);
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
    case MenuId::Reload:
        Reload();
        return true;
    case MenuId::SavePicture:
        SavePicture();
        return true;
    case MenuId::Exit:
        m_Platform.CloseWindow();
        return true;
    case MenuId::Messages:
        ToggleMessagesPanel();
        return true;
    case MenuId::Cancel:
        CancelWork();
        return true;
    default:
        if (id >= MenuId::RecentFile0 && id < MenuId::RecentFile0 + MenuId::RecentFileCount) {
            OpenRecentFile(id - MenuId::RecentFile0);
            return true;
        }
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
    if (m_Busy) {
        AddNotice("Still busy: \"" + NameOf(path) + "\" is not opened.");
        return false;
    }
    m_FileName = path;
    m_FileTitle = NameOf(path);
    const std::string folder = FolderOf(path);
    if (!folder.empty())
        m_Platform.SetCurrentDirectory(folder);
    return LoadBeamSystemFile(path);
}

bool AppState::OutputDirectoryBlocked()
{
    return OutputDirectoryBlocked(false);
}

bool AppState::OutputDirectoryBlocked(bool quiet)
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
        Report(kDirectoryBlocked, quiet);
        return true;
    }
    // Every probe name is taken; the writers report any real failure.
    return false;
}

// One piece of background work and everything it hands back. The worker
// thread owns it while it runs; the UI thread reads it only afterwards.
struct AppState::Job : WarningSink, Progress {
    enum class Kind { Load, Solve };

    AppState* state = nullptr;
    Kind kind = Kind::Load;
    std::string path;
    ModelOptions options;
    // A reload: failures are notices, the view and the diagram stay.
    bool reload = false;
    // Solve the loaded model too before it is shown.
    bool solveToo = false;

    // The model loaded, or the copy of the one on screen that is solved.
    std::unique_ptr<StructureModel> model;
    // A solve: the model on screen, solved where it is (inPlace) or copied
    // first. Both threads only read it while the copy is made; in place,
    // the worker writes only what the screen does not read while the model
    // is unsolved (the displacements, the element results, the result
    // scales).
    StructureModel* source = nullptr;
    bool inPlace = false;
    std::unique_ptr<ModelResults> results;
    bool loaded = false;
    bool solved = false;
    bool cancelled = false;
    std::string error;
    // Warnings and notices in the order they came; true: a warning.
    std::vector<std::pair<bool, std::string>> remarks;

    void Warning(const std::string& text) override { remarks.emplace_back(true, text); }
    void Notice(const std::string& text) override { remarks.emplace_back(false, text); }
    void StageStarted(WorkStage stage) override
    {
        static const char* const names[] = {"reading", "assembling", "factorising", "writing results"};
        const std::string name = names[static_cast<int>(stage)];
        // Once the result files are being written they are written whole.
        const bool cancellable = stage == WorkStage::Factorising;
        AppState* target = state;
        target->m_Platform.PostToUiThread([target, name, cancellable] {
            if (target->m_Busy)
                target->SetBusy(name, cancellable);
        });
    }
};

bool AppState::LoadBeamSystemFile(const std::string& path)
{
    if (m_Busy) {
        AddNotice("Still busy: \"" + NameOf(path) + "\" is not opened.");
        return false;
    }
    if (OutputDirectoryBlocked(false))
        return false;
    m_LastLoadOk = false;
    StartLoad(path, false);
    // Without background work the load has ended here.
    return m_Busy || m_LastLoadOk;
}

void AppState::StartLoad(const std::string& path, bool reload)
{
    auto job = std::make_unique<Job>();
    job->kind = Job::Kind::Load;
    job->path = path;
    job->options.outputDir = m_Platform.CurrentDirectory();
    job->reload = reload;
    job->solveToo = reload && m_Solved;
    if (reload)
        job->options.outputDir = m_Model->m_OutputDir.empty() ? job->options.outputDir : m_Model->m_OutputDir;
    StartJob(std::move(job));
}

void AppState::SolveModel()
{
    // The model of a window without a file holds no system to solve.
    if (!m_Loaded || m_Busy)
        return;
    auto job = std::make_unique<Job>();
    job->kind = Job::Kind::Solve;
    job->path = m_LoadedFileName;
    // What is on screen stays as it is until the solution is whole. An
    // unsolved model shows nothing the solution writes, so it is solved
    // where it is; a solved one shows its results, so a copy is solved.
    // (A copy of a 100,000-node frame costs about a third of its solution:
    // bench/ScaleBench.cpp.)
    job->source = m_Model.get();
    job->inPlace = !m_Solved;
    if (job->inPlace)
        m_Model->m_Warnings = job.get();
    StartJob(std::move(job));
}

void AppState::StartJob(std::unique_ptr<Job> job)
{
    job->state = this;
    m_CancelRequested = false;
    m_Busy = true;
    EnableModelCommands(false);
    SetBusy(job->kind == Job::Kind::Load ? "reading" : "factorising", job->kind == Job::Kind::Solve);
    if (!m_Platform.RunsWorkInBackground()) {
        RunJob(*job);
        FinishJob(std::move(job));
        return;
    }
    WaitForWorker();
    Job* raw = job.release();
    m_Worker = std::thread([this, raw] {
        RunJob(*raw);
        m_Platform.PostToUiThread([this, raw] { FinishJob(std::unique_ptr<Job>(raw)); });
    });
}

void AppState::RunJob(Job& job)
{
    try {
        if (job.kind == Job::Kind::Load) {
            job.options.warnings = &job;
            job.options.progress = &job;
            job.model = m_Setup.LoadModel(job.path, job.options);
            job.loaded = true;
            if (!job.solveToo)
                return;
        }
        job.StageStarted(WorkStage::Factorising);
        if (job.kind == Job::Kind::Solve && !job.inPlace) {
            job.model = std::make_unique<StructureModel>(*job.source);
            job.model->m_Warnings = &job;
        }
        StructureModel& model = job.model ? *job.model : *job.source;
        model.Solve();
        if (m_CancelRequested) {
            job.cancelled = true;
            return;
        }
        job.StageStarted(WorkStage::WritingResults);
        PostProcess(model);
        job.results = std::make_unique<ModelResults>(model);
        job.solved = true;
    } catch (const FatalError& error) {
        job.error = error.Message();
    } catch (const std::bad_alloc&) {
        job.error = kOutOfMemory;
    }
}

void AppState::FinishJob(std::unique_ptr<Job> job)
{
    WaitForWorker();
    m_Model->m_Warnings = &m_Sink;
    m_Busy = false;
    SetBusy({}, false);

    for (const auto& [warning, text] : job->remarks) {
        if (warning)
            Warning(text);
        else
            AddNotice(text);
    }

    if (job->kind == Job::Kind::Load) {
        if (!job->loaded) {
            if (job->reload)
                AddNotice("\"" + NameOf(job->path) + "\" was not reloaded: " + job->error);
            else
                Warning(job->error);
        } else {
            InstallLoaded(*job);
            m_LastLoadOk = true;
        }
    } else if (job->cancelled) {
        AddNotice("The solution was cancelled; the model and its result files are as they were.");
    } else if (!job->solved) {
        SolveFailed(job->error, false);
    } else {
        InstallSolved(*job);
    }
    EnableModelCommands(true);

    if (m_ReloadPending) {
        m_ReloadPending = false;
        Reload();
    }
}

namespace {

// Whether two boxes are close enough for a view of one to serve the other:
// each edge moved by less than a twentieth of the larger side.
bool AboutTheSame(const WorldBox& a, const WorldBox& b)
{
    const double size = std::max({a.m_XMax - a.m_XMin, a.m_YMax - a.m_YMin, b.m_XMax - b.m_XMin, b.m_YMax - b.m_YMin});
    if (!(size > 0) || !std::isfinite(size))
        return false;
    const double tolerance = size / 20;
    return std::fabs(a.m_XMin - b.m_XMin) < tolerance && std::fabs(a.m_XMax - b.m_XMax) < tolerance &&
           std::fabs(a.m_YMin - b.m_YMin) < tolerance && std::fabs(a.m_YMax - b.m_YMax) < tolerance;
}

} // namespace

void AppState::InstallLoaded(Job& job)
{
    const bool reload = job.reload;
    const WorldBox oldBox = m_Box;
    const LayerFlags oldLayers = *this;

    // The old results refer to the old model: they go first.
    SetResults(nullptr);
    m_Model = std::move(job.model);
    m_Model->m_Warnings = &m_Sink;
    m_Loaded = true;
    m_LoadedFileName = job.path;

    m_Box = {m_Model->m_XMin, m_Model->m_XMax, m_Model->m_YMin, m_Model->m_YMax};
    if (reload && AboutTheSame(oldBox, m_Box)) {
        // Keep the user's zoom and pan; X fits the new box.
        m_View->m_XMin = m_Box.m_XMin;
        m_View->m_XMax = m_Box.m_XMax;
        m_View->m_YMin = m_Box.m_YMin;
        m_View->m_YMax = m_Box.m_YMax;
    } else {
        m_View = std::make_unique<ViewTransform>();
        m_View->SetUp(m_ClientWidth, m_ClientHeight, m_Box.m_XMin, m_Box.m_XMax, m_Box.m_YMin, m_Box.m_YMax);
    }

    if (reload) {
        // What was shown stays shown; a diagram needs the new solution.
        if (!job.solved) {
            if (m_ShowDeformed || m_ShowMoment || m_ShowShear || m_ShowAxial) {
                static_cast<LayerFlags&>(*this) = FreshStructureLayers();
                m_ShowNodeNumbers = oldLayers.m_ShowNodeNumbers;
                m_ShowElementNumbers = oldLayers.m_ShowElementNumbers;
                m_ShowValues = oldLayers.m_ShowValues;
            }
            m_ShowReactions = false;
        }
    } else {
        // Whether values are shown is the user's choice, kept across files.
        const bool values = m_ShowValues;
        static_cast<LayerFlags&>(*this) = FreshStructureLayers();
        m_ShowValues = values;
    }
    m_Solved = false;
    m_HoverElement = m_HoverNode = -1;
    m_StatusText.clear();
    m_Platform.SetStatusText(m_StatusText);

    if (job.solveToo && !job.solved)
        AddNotice("\"" + NameOf(job.path) + "\" was reloaded but not solved: " +
                  (job.cancelled ? std::string("the solution was cancelled.") : job.error));
    if (job.solved) {
        m_Solved = true;
        SetResults(std::move(job.results));
    }

    m_Platform.SetMenuCheck(MenuId::NodeNumbers, m_ShowNodeNumbers);
    m_Platform.SetMenuCheck(MenuId::ElementNumbers, m_ShowElementNumbers);
    m_Platform.SetMenuCheck(MenuId::Reactions, m_ShowReactions);
    m_Platform.SetWindowTitle(WindowTitle());
    m_Platform.WatchFile(job.path);
    RememberRecent(job.path);
    if (reload)
        AddNotice("Reloaded \"" + NameOf(job.path) + "\"" + (job.solved ? " and solved it again." : "."));
    m_Platform.Repaint(true);
}

void AppState::InstallSolved(Job& job)
{
    if (job.model) {
        m_Model = std::move(job.model);
        m_Model->m_Warnings = &m_Sink;
    }
    m_Solved = true;
    SetResults(std::move(job.results));
    AddNotice(SolvedSummary());
    // The picture changes only where it shows results.
    if (m_ShowDeformed || m_ShowMoment || m_ShowShear || m_ShowAxial || m_ShowReactions)
        m_Platform.Repaint(true);
}

void AppState::SolveFailed(const std::string& error, bool quiet)
{
    // Results of an earlier solution are replaced, whatever happens.
    SetResults(nullptr);
    m_Solved = false;
    Report(error, quiet);
    // Diagrams of an earlier solution would now belong to an unsolved model.
    if (m_ShowDeformed || m_ShowMoment || m_ShowShear || m_ShowAxial || m_ShowReactions) {
        m_ShowDeformed = m_ShowMoment = m_ShowShear = m_ShowAxial = m_ShowReactions = false;
        m_Platform.SetMenuCheck(MenuId::Reactions, false);
        m_Platform.Repaint(true);
    }
}

std::string AppState::SolvedSummary() const
{
    const StructureModel& m = *m_Model;
    const auto count = [](int n, const char* what) { return std::to_string(n) + " " + what + (n == 1 ? "" : "s"); };
    std::string text =
        "Solved \"" + NameOf(m_LoadedFileName) + "\": " + count(m.m_NPOIN, "node") + ", " + count(m.m_NELEM, "element");
    // The largest movement of a node, by its two translations together.
    double largest = -1;
    int where = -1;
    for (int node = 0; node < m.m_NPOIN && 3 * static_cast<std::size_t>(node) + 1 < m.m_D.m_Data.size(); ++node) {
        const double dx = m.m_D.m_Data[3 * static_cast<std::size_t>(node)];
        const double dy = m.m_D.m_Data[3 * static_cast<std::size_t>(node) + 1];
        const double size = std::hypot(dx, dy);
        if (size > largest) {
            largest = size;
            where = node;
        }
    }
    if (where >= 0)
        text += "; largest displacement " + FormatNumber(largest) + " at node " + std::to_string(where);
    return text + ".";
}

void AppState::SetBusy(const std::string& stage, bool cancellable)
{
    m_BusyStage = stage;
    m_Platform.ShowBusy(stage, cancellable);
}

void AppState::EnableModelCommands(bool enabled)
{
    for (int id : {MenuId::Open, MenuId::Reload, MenuId::RecentFiles, MenuId::StartFromExample})
        m_Platform.SetMenuEnabled(id, enabled);
    // Solving needs a structure; the window without a file has none.
    m_Platform.SetMenuEnabled(MenuId::Solve, enabled && m_Loaded);
}

void AppState::CancelWork()
{
    if (m_Busy)
        m_CancelRequested = true;
}

void AppState::WaitForWorker()
{
    if (m_Worker.joinable())
        m_Worker.join();
}

void AppState::Report(const std::string& text, bool quiet)
{
    if (quiet)
        AddNotice(text);
    else
        Warning(text);
}

void AppState::Reload()
{
    if (!m_Loaded)
        return;
    if (m_Busy) {
        m_ReloadPending = true;
        return;
    }
    if (!m_Platform.FileExists(m_LoadedFileName)) {
        AddNotice("\"" + NameOf(m_LoadedFileName) + "\" was not reloaded: " + FileMissingText(m_LoadedFileName));
        return;
    }
    if (OutputDirectoryBlocked(true))
        return;
    StartLoad(m_LoadedFileName, true);
}

void AppState::OnWatchedFileChanged()
{
    if (m_Loaded)
        m_Platform.StartTimer(kReloadTimer, kReloadDelayMs);
}

void AppState::OnTimer(int id)
{
    if (id == kReloadTimer)
        Reload();
}

bool AppState::OpenDroppedFile(const std::string& path)
{
    return OpenChosenFile(path);
}

void AppState::AddNotice(const std::string& text)
{
    m_Notices.push_back({std::chrono::system_clock::now(), text});
    m_Platform.NoticeAdded(m_Notices.back());
}

void AppState::ToggleMessagesPanel()
{
    m_ShowMessagesPanel = !m_ShowMessagesPanel;
    m_Platform.SetMenuCheck(MenuId::Messages, m_ShowMessagesPanel);
    m_Platform.ShowMessagesPanel(m_ShowMessagesPanel);
}

void AppState::OnMessagesPanelClosed()
{
    m_ShowMessagesPanel = false;
    m_Platform.SetMenuCheck(MenuId::Messages, false);
}

void AppState::RememberRecent(const std::string& path)
{
    m_Recent.Add(path);
    m_Platform.WriteRecentFiles(m_Recent.Paths());
    m_Platform.RecentFilesChanged(m_Recent.Paths());
}

void AppState::OpenRecentFile(int index)
{
    const std::vector<std::string>& paths = m_Recent.Paths();
    if (index < 0 || static_cast<std::size_t>(index) >= paths.size())
        return;
    const std::string path = paths[static_cast<std::size_t>(index)];
    if (!m_Platform.FileExists(path)) {
        AddNotice(FileMissingText(path) + " It is taken off the recent files.");
        m_Recent.Remove(path);
        m_Platform.WriteRecentFiles(m_Recent.Paths());
        m_Platform.RecentFilesChanged(m_Recent.Paths());
        return;
    }
    OpenChosenFile(path);
}

void AppState::SavePicture()
{
    if (!m_Loaded || m_ClientWidth <= 0 || m_ClientHeight <= 0)
        return;
    const std::string folder = m_Model->m_OutputDir.empty() ? m_Platform.CurrentDirectory() : m_Model->m_OutputDir;
    const std::optional<std::string> path =
        m_Platform.ChooseFileToSave(kPictureTitle, kPictureFilter, JoinPath(folder, kPictureName));
    if (!path || path->empty())
        return;
    try {
        // What the window shows, without the rubber band or the halo of
        // what happens to be under the pointer.
        m_Platform.SavePicture(*path, m_ClientWidth, m_ClientHeight, BackgroundColor(), [this](Canvas& canvas) {
            DrawScene(canvas, *m_View, *m_Model, *this, m_Results.get(), -1, -1);
        });
        AddNotice("Saved the picture \"" + *path + "\".");
    } catch (const FatalError& error) {
        Warning(error.Message());
    } catch (const std::bad_alloc&) {
        Warning(kOutOfMemory);
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
    case MenuId::Messages:
        return m_ShowMessagesPanel;
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
