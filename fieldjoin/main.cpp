// fieldjoin: the whole-data table of a field and material, one row per case.
#include "fieldjoin/fieldjoin_run.hpp"
#include "run/program_main.hpp"

int main(int argc, char** argv) {
    return field::programEntry(field::Program::Fieldjoin, field::runFieldjoin, argc, argv);
}
