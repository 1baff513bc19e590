#pragma once
// Starting a thread through a seam, so that tests can make it fail as a system
// without threads to spare would (std::system_error).

#include <functional>
#include <thread>
#include <utility>

namespace field {

/// Starts a thread running `body`; throws std::system_error where none can be started.
using ThreadStarter = std::thread (*)(std::function<void()> body);

/// The real thing.
inline std::thread startThread(std::function<void()> body) { return std::thread(std::move(body)); }

}  // namespace field
