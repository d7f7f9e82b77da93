#pragma once

#include <string>

class StructureModel;

// Reads the text of a Beam System File into a freshly constructed model,
// with every check of ReadBeamSystemFile (which reads the file and then
// calls this), but writes no side file. Throws FatalError on a text it
// refuses; the model is then not to be used.
void ReadBeamSystemText(StructureModel& model, std::string text);
