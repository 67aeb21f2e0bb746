#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/file_system.h"
#include "register/copias_da_base.h"

namespace pezolva::restore {

// A backup copy found on disk, as a row of the restore window's list: the
// seven columns in their order (the hidden ones are the sort keys of the
// visible ones).
struct CopiaEncontrada {
    std::string nome_fich;          // 0 "Nome": the file name, the row's key
    std::string bd;                 // 1 "BD": the database name as searched for
    std::string data;               // 2 "Data Cópia": dd-mm-yyyy hh:nn
    std::string carimbo;            // 3 "Data Formatada": yyyymmddhhnn
    std::string caminho;            // 4 "Caminho": the folder as listed
    std::string tamanho;            // 5 "Tam. (Kbytes)": thousands of bytes, grouped; "<1"
    std::string tamanho_formatado;  // 6 the same, nine digits
    std::uint64_t bytes = 0;        // the file's size
};

inline constexpr int kColunas = 7;

// "19-05-2005 14:07" for "200505191407": the characters rearranged, not
// checked.
std::string data_do_carimbo(const std::string& carimbo);

// The size in thousands of bytes (1000, not 1024), rounded to a whole
// number, with `separador` between groups of three digits; "<1" when that
// rounds to 0.
std::string tamanho_em_kbytes(std::uint64_t bytes, const std::string& separador);
// The same number as nine digits with leading zeros (more when larger).
std::string tamanho_ordenavel(std::uint64_t bytes);

// Appends `pasta` to the folder list unless it is empty or already there
// (compared without regard to letter case).
void junta_pasta(std::vector<std::string>& pastas, const std::string& pasta);

// Looks in each folder (not its subfolders) for the copies of each
// registered name as the list reads them (carimbo_de_copia, ParaListar;
// the row's "BD" is nome_procurado), register row by row and folder by
// folder, and
// returns one row per file name: a name found again (the same folder
// written twice, another folder) is skipped, and so is a file whose size
// cannot be read, while the rest of the listing is still searched.  A
// folder that does not exist or cannot be listed yields nothing.
// `a_procurar` (when given) is called before each folder of each name, so
// that progress can be shown; when it returns false the search stops there
// and gives what it found so far.
std::vector<CopiaEncontrada> procura_copias(
    FileSystem& files, const std::vector<std::string>& pastas,
    const std::vector<std::string>& nomes, const std::string& separador,
    const std::function<bool(const std::string& pasta)>& a_procurar = {});

// The row of the file at `caminho` when its name is a copy of one of
// `nomes` (in the order given) and its size can be read; its folder is
// the path's.  nullopt otherwise.
std::optional<CopiaEncontrada> reconhece_copia(FileSystem& files, const std::string& caminho,
                                               const std::vector<std::string>& nomes,
                                               const std::string& separador);

// Sorts by column `coluna` (0 to 6) as the list sorts, ascending when
// `descendente` is false: "Data Cópia" by its stamp, the size by its
// padded number, the others by their text without regard to letter case.
void ordena(std::vector<CopiaEncontrada>& copias, int coluna, bool descendente);

}  // namespace pezolva::restore
