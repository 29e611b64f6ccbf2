#include "bench/sections.h"

namespace sw::bench {

void RunImportBench() {}

} // namespace sw::bench
