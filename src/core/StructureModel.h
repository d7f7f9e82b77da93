#pragma once

#include "core/BeamElement.h"
#include "core/FatalError.h"
#include "core/Matrix.h"
#include "core/Records.h"
#include "core/SparseMatrix.h"
#include "core/SparseSolver.h"

#include <string>
#include <vector>

class WarningSink;

// The stiffness that holds a supported or prescribed component (the penalty
// method): its diagonal entry is overwritten with it, and a prescribed
// value's load entry is this times the value.
inline constexpr double kPenalty = 1e20;

// One plane frame from input to drawing. A plain aggregate: the other parts
// of the program read and write its members directly. What is declared here
// is the analysis core's own work: building the elements, assembly,
// solution, element results and the drawing scales. The reader and the
// load pipeline (input/), the result files and post-processing (reports/)
// and the drawing layers (graphics/) are functions of their own folders
// that take the model as an argument.
class StructureModel {
public:
    StructureModel();

    // Makes m_Elements from the nodes, properties and connectivity read (all
    // indices checked): element e is initialised with e, its two nodes and
    // its property, on every core. Returns the first element, in file order,
    // whose stiffness is not a finite number (a huge modulus over a tiny
    // length), or -1 when there is none.
    int InitElements();

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
    // How far a solution d of the sparse system is from solving it: the
    // largest componentwise backward error over the components that are
    // neither supported nor prescribed; worst, when given, gets its row.
    double BackwardError(const Matrix& d, std::size_t* worst = nullptr) const;
    // Iterative refinement of a solution d of the sparse system with the
    // solver's factor, against the whole assembled matrix; returns the
    // backward error reached.
    double Refine(Matrix& d) const;
    // The error for a sparse solution whose residual stays above the limit.
    FatalError InaccurateSolution(const Matrix& d, double residual) const;
    // Whether a solution moves a free translation (where) by more than a
    // thousand times the size of the structure (size): the mark of a
    // mechanism whose zero pivot round-off hid.
    bool MovesLikeAMechanism(const Matrix& d, std::size_t& where, double& size) const;
    // Which of the 3 * m_NPOIN components carry the penalty.
    std::vector<bool> HeldComponents() const;
    void ComputeElementResults();
    void ComputeDispScale();
    void ComputeMomentScale();
    void ComputeShearScale();
    // The axial-force diagram's scale, by the rule of the other result
    // scales but without a warning: a frame whose members carry no axial
    // force (any beam under transverse loads) is normal, not a problem.
    void ComputeAxialScale();

    // Reports a soft problem through m_Warnings (dropped when there is none).
    void Warn(const std::string& text) const;
    // Reports a remark that needs no answer (WarningSink::Notice).
    void Note(const std::string& text) const;
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
    double m_XMin, m_XMax, m_YMin, m_YMax;
    // The five drawing scales, in world units per unit of the quantity:
    // drawing reads them here, and nowhere else are they kept.
    double m_VisualScaleofDisp;
    double m_VisualScaleofMoment;
    double m_VisualScaleofShear;
    double m_VisualScaleofAxial;
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
    // m_KSparse is assembled by the load where "K.txt" is written from it,
    // else by the first Solve (empty until then).
    SolverChoice m_Solver;
    SparseSolver* m_SparseSolver;
    bool m_DumpMatrices; // write "K.txt" whatever its size
    bool m_SparseSystem;
    SparseMatrix m_KSparse;
};
