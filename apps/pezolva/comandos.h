#pragma once

#include <string>
#include <vector>

namespace pezolva::cli {

// Each subcommand takes the words after its name and returns the exit
// status.  Wrong use throws UsoErrado.
int projects(const std::vector<std::string>& args);
int start(const std::vector<std::string>& args);
int demo(const std::vector<std::string>& args);
int backup(const std::vector<std::string>& args);
int compact(const std::vector<std::string>& args);
int reinstall(const std::vector<std::string>& args);
int copies(const std::vector<std::string>& args);
int restore(const std::vector<std::string>& args);
int verify(const std::vector<std::string>& args);
int import(const std::vector<std::string>& args);
int offsite(const std::vector<std::string>& args);

// The window program: choose a project, give its password, pick an
// operation.
int janelas(int argc, char** argv);

// Help text of a subcommand ("" for the program itself).
const char* ajuda(const std::string& subcomando);

}  // namespace pezolva::cli
