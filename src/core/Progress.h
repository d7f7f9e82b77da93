#pragma once

// The stages of the long work on a model, in the order they come.
enum class WorkStage {
    Reading,       // the Beam System File into the model
    Assembling,    // the global stiffness matrix and load vector
    Factorising,   // the solution of the system
    WritingResults // the result files
};

// Hears which stage the work on a model has reached. Called on the thread
// doing the work, at the start of each stage; it must return quickly and
// must not touch the model.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void StageStarted(WorkStage stage) = 0;
};
