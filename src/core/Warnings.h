#pragma once

#include <string>
#include <vector>

// Soft problems (a drawing scale falling back to 1, a suspicious solution)
// are reported here and the work goes on. The desktop shows a warning in a
// "Warning!" message box and a notice in its status bar and Messages list;
// the batch command prints both on standard error.
class WarningSink {
public:
    virtual ~WarningSink() = default;
    virtual void Warning(const std::string& text) = 0;
    // A remark that needs no answer (a side file skipped, a suspicious
    // solution, the reader's notes on the input). A front end that stops
    // for warnings can show these without stopping; by default they are
    // warnings like any other.
    virtual void Notice(const std::string& text) { Warning(text); }
};

// Keeps every warning in the order it arose; used by tests and by callers
// that report them later.
class CollectingWarnings : public WarningSink {
public:
    void Warning(const std::string& text) override { m_Texts.push_back(text); }
    std::vector<std::string> m_Texts;
};
