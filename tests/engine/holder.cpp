// Test helper: holds a database open in its own process until its
// standard input ends.  Usage: engine_holder <database> shared|exclusive
// with the password as the first line of standard input.  Prints "ready"
// once it holds the database, or the error number.
#include <iostream>
#include <string>

#include "engine/database.h"

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const std::string mode = argv[2];
    std::string password;
    std::getline(std::cin, password);
    try {
        auto db =
            pezolva::engine::OpenDatabase(argv[1], mode == "exclusive", false, ";pwd=" + password);
        std::cout << "ready" << std::endl;
        std::string rest;
        while (std::getline(std::cin, rest)) {
        }
    } catch (const pezolva::engine::EngineError& e) {
        std::cout << e.numero() << std::endl;
        return 1;
    }
    return 0;
}
