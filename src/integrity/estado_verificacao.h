#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace pezolva::integrity {

// What a verification has visited and what it is visiting, as its window
// shows it, and the flag that keeps it going.  Counters are 64-bit: a
// register of many large databases goes well past 32 767 objects.
struct EstadoVerificacao {
    // A run is in progress; clearing it asks the run to stop at its next
    // check (before each table, between the passes of a pair, before each
    // row of the register).
    bool a_verificar = false;

    std::int64_t tot_bds = 0;
    std::int64_t tot_tabelas = 0;
    std::int64_t tot_campos = 0;
    std::int64_t tot_indices = 0;
    std::int64_t tot_relacoes = 0;
    std::int64_t tot_geral = 1;  // 1 plus the four totals
    std::int64_t tot_bd = 1;     // objects of the pair being compared

    std::int64_t n_bds = 0;
    std::int64_t n_tabelas = 0;
    std::int64_t n_campos = 0;
    std::int64_t n_indices = 0;
    std::int64_t n_relacoes = 0;
    std::int64_t n_geral = 0;
    std::int64_t n_bd = 0;

    std::string bd_actual;
    std::string tabela_actual;
    std::string campo_actual;
    std::string indice_actual;
    std::string relacao_actual;

    // Refreshes whatever shows the state and lets the user's input in;
    // called once per field, index and relation visited and once per
    // database.  Empty: nobody watches.
    std::function<void()> mostra_estado;

    void mostra() const {
        if (mostra_estado) mostra_estado();
    }
    // Every counter and total back to its start, texts emptied.
    void limpa();
    // The visited counters back to zero; the totals stay.
    void limpa_contadores();
};

}  // namespace pezolva::integrity
