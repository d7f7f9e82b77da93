#pragma once

class Progress;
class StructureModel;

// The load pipeline, run once when a file is opened: the reader fills the
// model, then the distinct moments of inertia, the bounding box, the global
// stiffness matrix and load vector (with "K.txt" and "DForce.txt"), the mean
// element length and the two load drawing scales. Throws FatalError on a
// file or model it refuses. progress, when given, hears when reading and
// assembling start.
void Load(StructureModel& model, const char* fileName, Progress* progress = nullptr);
