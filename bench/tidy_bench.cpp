#include "bench/sections.h"

namespace sw::bench {

void RunTidyBench() {}

} // namespace sw::bench
