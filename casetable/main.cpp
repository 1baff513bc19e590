// casetable: the test-case table of a field and material, one row per 30-minute sub-window.
#include "casetable/casetable_run.hpp"
#include "run/program_main.hpp"

int main(int argc, char** argv) {
    return field::programEntry(field::Program::Casetable, field::runCasetable, argc, argv);
}
