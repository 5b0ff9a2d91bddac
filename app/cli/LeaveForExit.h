#pragma once
#include <memory>

namespace tavlin {

// A command ends the process as soon as its work is done: freeing a large document piece by
// piece would only make the user wait. Builds with the address sanitizer still free it, so that
// their leak check sees everything else.
template <typename T> void LeaveForExit(std::unique_ptr<T> object) {
#if defined(__SANITIZE_ADDRESS__)
    object.reset();
#else
    static_cast<void>(object.release());
#endif
}

} // namespace tavlin
