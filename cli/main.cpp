#include "cli/cli.h"
#include "engine/history.h"
#include "platform/default_machine.h"
#include "runs/undo_census.h"

#include <iostream>

int main(int argc, char** argv) {
    tavrine::close_library_search(); // before anything is loaded by name
    tavrine::use_utf8_console();
    const std::vector<std::string> args = tavrine::program_arguments(argc, argv);
    tavrine::set_history_enabled(true); // every real run and undo keeps its history
    tavrine::set_undo_scope_source(tavrine::census_undo_scope);
    return tavrine::run_cli(args, std::cout, std::cerr);
}
