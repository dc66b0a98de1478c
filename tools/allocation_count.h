// Every allocation of a program that links moravel_allocation_count is counted, so that a
// test or a benchmark can show that some work makes none.
#pragma once

namespace testsupport {

long Allocations();

}  // namespace testsupport
