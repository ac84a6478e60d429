#pragma once

#include <stdexcept>
#include <string>

namespace lapora {

// The one failure callers see: they learn that a step failed, never which engine error it was.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const std::string& what) : std::runtime_error(what) {}
};

} // namespace lapora
