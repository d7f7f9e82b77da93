#pragma once

#include "app/ModelSetup.h"
#include "core/Records.h"
#include "core/Warnings.h"
#include "graphics/Layers.h"
#include "inspect/ResultTables.h"

#include <memory>
#include <string>
#include <vector>

class Canvas;
class ModelResults;
class Platform;
class StructureModel;
class ViewTransform;

// The two background colours the View menu offers, by m_BackgroundIndex.
inline constexpr COLORREF BackgroundColors[2] = {MakeColorRef(0, 0, 0), MakeColorRef(255, 255, 255)};

struct ClientRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct WorldBox {
    double m_XMin = 0;
    double m_XMax = 0;
    double m_YMin = 0;
    double m_YMax = 0;
};

// Interaction modes of the drawing area.
namespace InteractionMode {
inline constexpr int None = 0;
inline constexpr int Pan = 1;
inline constexpr int ZoomWindow = 2;
} // namespace InteractionMode

// The main window's state and behaviour, free of any toolkit: the current
// model and view, what is drawn, the menu commands, the loading sequence and
// the key and mouse gestures. The window forwards its events here; all that
// reaches the outside world goes through the Platform.
//
// Owns one model and one view at a time; a load builds new ones and swaps
// them in only once the file has been read completely, so a bad file never
// costs the user the structure on screen.
class AppState : public LayerFlags {
public:
    explicit AppState(Platform& platform, std::string buildDate = {});
    ~AppState();
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    // --- menu commands ---
    // Runs the command with this menu id; false for an id that is not ours.
    bool OnCommand(int id);
    // The Open dialog; true when a file was chosen (into m_FileName).
    bool ChooseBeamSystemFile();
    // What follows a choice in the Open dialog (also the file named on the
    // command line): remember the file, make its folder current, load it.
    bool OpenChosenFile(const std::string& path);
    // Replaces model and view by ones built from the file; false, with the
    // reason told to the user and everything kept as it was, on failure.
    bool LoadBeamSystemFile(const std::string& path);
    // True when no file can be created in the current folder (after telling
    // the user). Leaves every existing file alone.
    bool OutputDirectoryBlocked();
    void SolveModel();

    // --- window events ---
    void OnSize(int width, int height);
    void OnChar(int code);
    void OnLeftButtonDown(int x, int y);
    void OnMouseMove(int x, int y);
    void OnMouseWheel(int x, int y, int delta);
    // The pointer left the drawing area: nothing is under it any more.
    void OnMouseLeave();
    // The user closed the results panel by its own button.
    void OnResultsPanelClosed();
    // Draws the rubber band and the layers that are switched on; the caller
    // has filled the surface with BackgroundColor().
    void Paint(Canvas& canvas);

    COLORREF BackgroundColor() const { return BackgroundColors[m_BackgroundIndex]; }
    // "Vela" and the build date, after the name of the file on screen.
    std::string WindowTitle() const;
    // Whether a checkable menu item is checked now.
    bool IsChecked(int id) const;

    // The results panel's tables of the current solution (none before it),
    // made when first asked for.
    const std::vector<ResultTable>& ResultTables();
    // The results of the current solution, or null.
    const ModelResults* Results() const { return m_Results.get(); }
    // The read-out of the last pointer position.
    const std::string& StatusText() const { return m_StatusText; }

    std::unique_ptr<StructureModel> m_Model;
    std::unique_ptr<ViewTransform> m_View;
    bool m_Solved = false;
    // A file has been loaded into m_Model: until then it is empty and there
    // is nothing to solve or draw.
    bool m_Loaded = false;
    int m_BackgroundIndex = 0;
    int m_CheckedBackgroundId = 40006;
    int m_ClientWidth = 0;
    int m_ClientHeight = 0;
    ClientRect m_ClientRect;
    WorldBox m_Box;
    // The last path chosen in the Open dialog, and its file name part.
    std::string m_FileName;
    std::string m_FileTitle;
    // The file the current model was read from.
    std::string m_LoadedFileName;

    int m_Mode = InteractionMode::None;
    int m_ClickCount = 0;
    int m_PanStartX = 0;
    int m_PanStartY = 0;
    int m_MouseX = 0;
    int m_MouseY = 0;
    int m_Corner1X = 0;
    int m_Corner1Y = 0;
    int m_Corner2X = 0;
    int m_Corner2Y = 0;

    // What is under the pointer (-1: nothing), drawn with a halo.
    int m_HoverElement = -1;
    int m_HoverNode = -1;
    bool m_ShowResultsPanel = false;

private:
    // Shows the model's soft warnings as message boxes.
    class MessageWarnings : public WarningSink {
    public:
        explicit MessageWarnings(Platform& platform) : m_Platform(platform) {}
        void Warning(const std::string& text) override;

    private:
        Platform& m_Platform;
    };

    void Warning(const std::string& text);
    void ShowResult(int id);
    void ShowDiagram(int id);
    void ShowOriginStructure();
    void ChooseBackground(int id);
    void ToggleNumbers(int id);
    void ToggleReactions();
    void ToggleValues();
    void ToggleResultsPanel();
    void ExportResults();
    // A new solution, or none: the results, their tables and the panel.
    void SetResults(std::unique_ptr<ModelResults> results);
    void SetHover(int element, int node);
    void StartFromExampleFile();
    void EditCurrentFile();
    void OpenInViewer(const std::string& path);
    bool ViewUsable() const;
    // Fits the view to what the layers shown draw, and keeps it fitted
    // while the layers change, until the user pans or zooms.
    void FitView();

    Platform& m_Platform;
    std::string m_BuildDate;
    std::unique_ptr<ModelResults> m_Results;
    std::vector<ResultTable> m_Tables;
    bool m_TablesMade = false;
    std::string m_StatusText;
    MessageWarnings m_Sink;
    ModelSetup m_Setup;
    bool m_ViewFitted = false;
    LayerFlags m_FittedFlags;
    const ModelResults* m_FittedResults = nullptr;
};
