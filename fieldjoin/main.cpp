// fieldjoin: the whole-data table of a field and material, one row per case.
#include <iostream>

#include "common/program_main.hpp"
#include "fieldjoin/fieldjoin_run.hpp"

int main(int argc, char** argv) {
    return field::programMain(field::Program::Fieldjoin, field::runFieldjoin, argc, argv, std::cin, std::cout,
                              std::cerr, field::PathMapper::fromEnvironment());
}
