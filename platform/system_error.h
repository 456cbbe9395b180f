// The one place where a failed system call becomes a HostError.
#pragma once

#include <string>

namespace zv {

// The text the system gives for an error number ("No such file or directory").
std::string SystemReason(int error_number);
// Throws HostError(path, SystemReason(error_number)).
[[noreturn]] void ThrowSystemError(const std::string& path, int error_number);

}  // namespace zv
