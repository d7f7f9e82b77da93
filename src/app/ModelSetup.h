#pragma once

#include "core/SparseSolver.h"

#include <memory>
#include <string>

class Progress;
class StructureModel;
class WarningSink;

// How a front end wants its models made: where their files go and which
// solver takes their systems.
struct ModelOptions {
    // The folder of the side, dump and result files (empty: the current one).
    std::string outputDir;
    SolverChoice solver = SolverChoice::Auto;
    // "K.txt" whatever its size.
    bool dumpMatrices = false;
    // Who hears the model's warnings (null: the setup's sink), and the
    // stages of its loading (null: nobody).
    WarningSink* warnings = nullptr;
    Progress* progress = nullptr;
};

// The one place where models are set up, for the desktop and both
// commands of vela-cli alike: every model gets the front end's warning sink
// and the sparse solver of large systems, which this owns and keeps for
// all the models it makes (its library is opened once).
class ModelSetup {
public:
    explicit ModelSetup(WarningSink& warnings);
    ~ModelSetup();
    ModelSetup(const ModelSetup&) = delete;
    ModelSetup& operator=(const ModelSetup&) = delete;

    // An empty model, ready to be loaded.
    std::unique_ptr<StructureModel> NewModel(const ModelOptions& options) const;
    // A new model, loaded from the file (FatalError as Load throws it).
    std::unique_ptr<StructureModel> LoadModel(const std::string& path, const ModelOptions& options) const;

    WarningSink& Warnings() const { return m_Warnings; }

private:
    WarningSink& m_Warnings;
    std::unique_ptr<SparseSolver> m_SparseSolver;
};
