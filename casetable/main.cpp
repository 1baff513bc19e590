// casetable: the test-case table of a field and material, one row per 30-minute sub-window.
#include <iostream>

#include "casetable/casetable_run.hpp"
#include "platform/process_setup.hpp"
#include "run/program_main.hpp"

int main(int argc, char** argv) {
    field::prepareProcess();  // before std::cin, std::cout or any file is used
    return field::programMain(field::Program::Casetable, field::runCasetable, argc, argv, std::cin, std::cout,
                              std::cerr, field::PathMapper::fromEnvironment());
}
