// fieldjoin: the whole-data table of a field and material, one row per case.
#include <iostream>

#include "fieldjoin/fieldjoin_run.hpp"
#include "platform/process_setup.hpp"
#include "run/program_main.hpp"

int main(int argc, char** argv) {
    field::prepareProcess();  // before std::cin, std::cout or any file is used
    return field::programMain(field::Program::Fieldjoin, field::runFieldjoin, argc, argv, std::cin, std::cout,
                              std::cerr, field::PathMapper::fromEnvironment());
}
