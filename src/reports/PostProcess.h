#pragma once

class StructureModel;

// After a solution: every element's end displacements and end forces, the
// five result files in their fixed order, and the result drawing scales
// (displacement, moment, shear, axial force). A file that cannot be written
// is a FatalError (status 1); the files before it are complete, none after
// it is written.
void PostProcess(StructureModel& model);
