#pragma once

#include <string>

class StructureModel;

// Reads the Beam System File at fileName into a freshly constructed model:
// every section, the elements with their stiffness, the records with what
// follows from them, then the side files "Point.txt" and "Me.txt" in the
// model's output folder (only for a file read and checked in full). Throws
// FatalError, status 1, on a file it refuses; the model is then not to be
// used.
void ReadBeamSystemFile(StructureModel& model, const char* fileName);

// The same checks on a file's text held in memory, without the side files.
void ReadBeamSystemText(StructureModel& model, std::string text);
