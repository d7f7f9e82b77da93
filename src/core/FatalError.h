#pragma once

#include <stdexcept>
#include <string>

// The one exception the program throws. It carries the text exactly as the
// user is to read it and the exit status a batch run ends with. The boundary
// (vela-cli, the desktop shell) decides what to do with it; nothing below
// catches it.
class FatalError : public std::runtime_error {
public:
    FatalError(const std::string& message, int status = 1) : std::runtime_error(message), m_Status(status) {}

    const char* Message() const noexcept { return what(); }
    int Status() const noexcept { return m_Status; }

private:
    int m_Status;
};
