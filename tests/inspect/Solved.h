#pragma once

#include "core/StructureModel.h"
#include "core/Warnings.h"
#include "graphics/ViewTransform.h"
#include "input/Load.h"
#include "reports/PostProcess.h"
#include "support/TestSupport.h"

#include <memory>
#include <string>

// A Beam System File read, solved and post-processed into a scratch folder,
// and a view fitted to it as the window fits it.
struct SolvedFile {
    ScratchDir out;
    CollectingWarnings warnings;
    std::unique_ptr<StructureModel> model = std::make_unique<StructureModel>();
    ViewTransform view;

    explicit SolvedFile(const std::string& path, int width = 800, int height = 600)
    {
        model->m_OutputDir = out.Path();
        model->m_Warnings = &warnings;
        Load(*model, path.c_str());
        model->Solve();
        PostProcess(*model);
        view.SetUp(width, height, model->m_XMin, model->m_XMax, model->m_YMin, model->m_YMax);
    }
};

inline std::string Example(const char* name)
{
    return std::string(VELA_EXAMPLES_DIR) + "/" + name;
}

inline std::string Regression(const char* name)
{
    return std::string(VELA_TEST_DATA_DIR) + "/regressions/" + name;
}
