// Every allocation of a test program that links allocation_count.cpp is counted, so that a
// test can show that some work makes none.
#pragma once

namespace testsupport {

long Allocations();

}  // namespace testsupport
