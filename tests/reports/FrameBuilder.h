#pragma once

#include "core/StructureModel.h"

#include <optional>
#include <string>

class WarningSink;

// Builds a model in code, record by record, the way the reader would fill
// it, and runs the load pipeline, the solution and the post-processing.
class FrameBuilder {
public:
    int AddNode(double x, double y);
    int AddProperty(double E, double A, double I);
    int AddElement(int node1, int node2, int property);
    void AddSupport(int node, int fixDx, int fixDy, int fixRz);
    void AddForce(int node, double fx, double fy, double mz);
    void AddDistributedLoad(int element, double q1, double q2);
    void AddPrescribed(int node, std::optional<double> dx, std::optional<double> dy, std::optional<double> rz);
    void AddSpring(int node, double k, double dirX, double dirY);
    void AddTorsionalSpring(int node, double k);

    // Assembles into outputDir, solves and post-processes.
    StructureModel& Run(const std::string& outputDir, WarningSink* warnings = nullptr);
    // Only up to the assembled system: the caller solves and post-processes.
    StructureModel& Prepare(const std::string& outputDir, WarningSink* warnings = nullptr);

    StructureModel m_Model;
};

// One element of length 2 along x, E = 1000, A = 10, I = 1, node 0 fully
// fixed, the load (-10, -30) at node 1.
FrameBuilder ShortCantilever();
