// casetable: the test-case table of a field and material, one row per 30-minute sub-window.
#include <iostream>

#include "casetable/casetable_run.hpp"

int main() {
    return field::runCasetable(std::cin, std::cout, field::PathMapper::fromEnvironment());
}
