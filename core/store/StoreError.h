#pragma once

#include <stdexcept>
#include <string>

namespace lapora {

// The one failure callers see: they learn that a step failed, never which engine error it was.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const std::string& what) : std::runtime_error(what) {}
};

// A data file that another program holds locked: only start-up tells it apart, to say so instead of
// "missing".
class StoreBusy : public StoreError {
public:
    explicit StoreBusy(const std::string& what) : StoreError(what) {}
};

} // namespace lapora
