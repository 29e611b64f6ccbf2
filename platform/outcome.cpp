#include "platform/outcome.h"

#include "platform/diagnostics.h"

namespace sw::detail {

void LogOutcome(const char* file, int line, const Outcome& outcome) noexcept {
    for (const Outcome::Failure& failure : outcome.failures())
        LogFailure(file, line, failure.text.c_str(), failure.code, failure.win32);
}

} // namespace sw::detail
