#pragma once

#include <string>
#include <vector>

// Soft problems (a drawing scale falling back to 1, a suspicious solution)
// are reported here and the work goes on. The desktop shows each in a
// "Warning!" message box, the batch command prints each on standard error.
class WarningSink {
public:
    virtual ~WarningSink() = default;
    virtual void Warning(const std::string& text) = 0;
};

// Keeps every warning in the order it arose; used by tests and by callers
// that report them later.
class CollectingWarnings : public WarningSink {
public:
    void Warning(const std::string& text) override { m_Texts.push_back(text); }
    std::vector<std::string> m_Texts;
};
