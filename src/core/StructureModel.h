#pragma once

#include "core/BeamElement.h"
#include "core/Matrix.h"
#include "core/Records.h"
#include "core/SparseMatrix.h"
#include "core/SparseSolver.h"

#include <string>
#include <vector>

class ViewTransform;
class WarningSink;

// One plane frame from input to drawing. A plain aggregate: the other parts
// of the program read and write its members directly. Its operations live
// with their subsystem: reading and loading in input/, assembly, solution and
// element results here in core/, the result writers and post-processing in
// reports/, the drawing layers in graphics/.
class StructureModel {
public:
    StructureModel();

    // --- input/ ---
    void ReadBeamSystemFile(const char* fileName);
    void Load(const char* fileName, ViewTransform* view);

    // --- core/: assembly, solution, element results, scales ---
    void ComputeInertiaLevels();
    void ComputeBoundingBox();
    void AssembleStiffness();
    // Whether the system of n unknowns goes to the sparse solver.
    bool UsesSparseSystem(int n) const;
    void AssembleSparseStiffness();
    void WriteStiffnessDump() const;
    void AssembleLoads();
    double ComputeAverageElemLength() const;
    void ComputeForceScale();
    void ComputePressScale();
    void Solve();
    void CheckSolution() const;
    // The relative residual of a solution d of the sparse system, over the
    // components that are neither supported nor prescribed.
    double RelativeResidual(const Matrix& d) const;
    // Which of the 3 * m_NPOIN components carry the penalty.
    std::vector<bool> HeldComponents() const;
    void ComputeElementResults();
    void ComputeDispScale();
    void ComputeMomentScale();
    void ComputeShearScale();

    // --- reports/ ---
    void PostProcess();
    void OutputNodalDisplacement() const;
    void OutputNodalReaction() const;
    void OutputMForInGlobalCS() const;
    void OutputMForInElemCS() const;
    void OutputMDisInGlobalCS() const;

    // --- graphics/: each layer draws through m_View ---
    void DrawNodeNumbers() const;
    void DrawElementNumbers() const;
    void DrawStructure() const;
    void DrawDeformedShape() const;
    void DrawMomentDiagram() const;
    void DrawShearDiagram() const;
    void DrawDistributedLoads() const;
    void DrawForces() const;
    void DrawSprings() const;
    void DrawTorsionalSprings() const;
    void DrawPrescribedDisplacements() const;
    void DrawRestrictedNodes() const;

    // Reports a soft problem through m_Warnings (dropped when there is none).
    void Warn(const std::string& text) const;
    // Where a file of the given fixed name is written: m_OutputDir / name.
    std::string OutputPath(const char* name) const;

    std::vector<Node> m_Nodes;
    int m_NumInertiaLevels;
    std::vector<double> m_InertiaLevels;
    int m_DOFPerNode;
    int m_NPOIN;
    int m_NodesPerElem;
    int m_NELEM;
    int m_NEP;
    int m_NRN;
    std::vector<ElementProperty> m_Properties;
    std::vector<int> m_ElemProp;
    std::vector<int> m_ElemNodes;
    std::vector<BeamElement> m_Elements;
    std::vector<RestrictedNode> m_RestrictedNodes;
    int m_NFOR;
    std::vector<force_2d> m_Forces;
    int m_NDIS;
    std::vector<DistributedLoad> m_DistributedLoads;
    int m_NSPR;
    std::vector<Spring_2d> m_Springs;
    int m_NTSPR;
    std::vector<Torsional_Spring_2d> m_TorsionalSprings;
    int m_NPRESC;
    std::vector<PrescribedDisplacement> m_Prescribed;
    Matrix m_K;
    Matrix m_F;
    Matrix m_D;
    ViewTransform* m_View;
    double m_XMin, m_XMax, m_YMin, m_YMax;
    double m_VisualScaleofDisp;
    double m_VisualScaleofMoment;
    double m_VisualScaleofShear;
    double m_VisualScaleofForce;
    double m_VisualScaleofPress;
    double m_AverageElemLength;

    // Not part of the file's data: where the side, dump and result files go
    // (empty: the current directory), and who hears the soft warnings.
    std::string m_OutputDir;
    WarningSink* m_Warnings;

    // How the global system is stored and solved. With m_SparseSystem the
    // stiffness matrix is m_KSparse and m_K is not used; m_F and m_D are
    // dense vectors either way. The solver belongs to the front end.
    SolverChoice m_Solver;
    SparseSolver* m_SparseSolver;
    bool m_DumpMatrices; // write "K.txt" whatever its size
    bool m_SparseSystem;
    SparseMatrix m_KSparse;
};
