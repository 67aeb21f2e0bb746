#pragma once

#include <string>

namespace pezolva {

// The project the component works on, as the host last gave it.
struct ProjectoActual {
    std::string caminho;          // the project folder; without a trailing "/" once validated
    std::string projecto;         // the project's name: the section of its settings
    std::string nome_bd;          // file name of the main database, inside `caminho`
    std::string passwd;           // the main database's password; never written anywhere
    bool vem_de_pezolva = false;  // the caller is the maintenance launcher
    bool faz_copias = true;       // this workstation makes backup copies

    // caminho + "/" + nome_bd
    std::string base_principal() const;
    // The connect string that opens the main database.
    std::string ligacao() const { return ";pwd=" + passwd; }
};

}  // namespace pezolva
