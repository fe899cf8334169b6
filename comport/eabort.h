#pragma once
#include <exception>

// The silent abort: ends the current operation without an error display.
// Whoever starts an operation (a button handler, a CLI command) catches it.
class EAbort : public std::exception {
public:
    const char *what() const noexcept override { return "Operation aborted"; }
};
