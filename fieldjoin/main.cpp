// fieldjoin: the whole-data table of a field and material, one row per case.
#include <iostream>

#include "fieldjoin/fieldjoin_run.hpp"

int main() {
    return field::runFieldjoin(std::cin, std::cout, field::PathMapper::fromEnvironment());
}
