#include "app/ModelSetup.h"

#include "core/StructureModel.h"
#include "input/Load.h"
#include "solver/SparseSolvers.h"

ModelSetup::ModelSetup(WarningSink& warnings) : m_Warnings(warnings), m_SparseSolver(MakeSparseSolver()) {}

ModelSetup::~ModelSetup() = default;

std::unique_ptr<StructureModel> ModelSetup::NewModel(const ModelOptions& options) const
{
    auto model = std::make_unique<StructureModel>();
    model->m_OutputDir = options.outputDir;
    model->m_Warnings = options.warnings ? options.warnings : &m_Warnings;
    model->m_Solver = options.solver;
    model->m_SparseSolver = m_SparseSolver.get();
    model->m_DumpMatrices = options.dumpMatrices;
    return model;
}

std::unique_ptr<StructureModel> ModelSetup::LoadModel(const std::string& path, const ModelOptions& options) const
{
    std::unique_ptr<StructureModel> model = NewModel(options);
    Load(*model, path.c_str(), options.progress);
    return model;
}
