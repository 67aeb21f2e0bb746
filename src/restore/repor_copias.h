#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/services.h"
#include "project/projecto.h"
#include "restore/copias_encontradas.h"
#include "restore/onde_procurar.h"

namespace pezolva::restore {

// How a search shows itself: the window's progress panel.
struct PainelProcura {
    // The search begins: the panel shows "A procurar ficheiros..." over
    // the disabled lists, its bar from 0 to `maximo`.
    std::function<void(int maximo)> inicio;
    // Before each (register row, folder) pair: the folder, the bar's
    // value, and the window's pending events once.  False stops the search
    // (the window is closing).
    std::function<bool(const std::string& pasta, int valor)> pasta;
    // The search ended, or stopped: the panel goes, the lists come back.
    std::function<void()> fim;
};

// Copies kept somewhere other than a folder (an off-site repository),
// which a layer above provides: the window lists them under a folder entry
// named `nome` (their "Caminho" is that name) and restores one through
// `repoe`.  Both may take a while and fail: each throws std::exception
// whose what() is one sentence for the user.
struct FonteCopias {
    std::string nome;
    std::function<std::vector<CopiaEncontrada>()> lista;
    // nullopt when the copy replaced its database; otherwise the message to
    // show, and the database is as it was.
    std::function<std::optional<std::string>(const CopiaEncontrada&)> repoe;
};

// What the restore window "Repor Cópias de Segurança" does, apart from the
// window system: the folders to search, the copies found and their order,
// and the restore of the selected copy.  The window shows what this holds
// and passes its events here.
class ReporCopias {
  public:
    // `projecto` (the current project) outlives this object.  `separador`
    // groups the thousands of the sizes as the user's locale does.
    ReporCopias(Services& servicos, const ProjectoActual& projecto, std::string separador);

    // True the first time only: the window prepares its lists and searches
    // when it is first shown.  Its later activations (a message box closed,
    // the folder browser gone, another program left) must keep the folders
    // the user added and the list as it is.
    bool primeira_activacao();

    // Copies from elsewhere, listed after the folders' at every search.
    void define_fonte(FonteCopias fonte) { fonte_ = std::move(fonte); }
    const std::optional<FonteCopias>& fonte() const { return fonte_; }
    // Why the last search could not list the source's copies ("" when it
    // did): one line for the window's message area, never a box, since the
    // local copies are listed all the same.
    const std::string& aviso() const { return aviso_; }
    // Whether the copy is one of the source's.
    bool de_fora(const CopiaEncontrada& c) const { return fonte_ && c.caminho == fonte_->nome; }

    // Folders from the project and the register, sort by "Data Cópia"
    // newest first, list emptied.  When the register cannot be read the
    // user is told once, and the main database is looked for in the
    // project's copies folder too.
    void prepara_lista();
    void limpa_pastas() { pastas_.clear(); }
    void junta_pasta(const std::string& pasta);
    // Searches every folder for the copies of every registered database,
    // then sorts.  False when the panel stopped it.
    bool procura_copias(const PainelProcura& painel);
    void ordena_lista();

    // "Adicionar Pasta": the folder browser on the project folder; the
    // folder it gives is added (unless there already) and searched.  False
    // when nothing is to be searched.
    bool adiciona_pasta();
    // "Remover  Pasta": removes the folder at `indice`; false when none is
    // selected (nothing to search again).
    bool remove_pasta(std::optional<std::size_t> indice);
    // A click on the heading of column `coluna` (0 to 6): another column
    // keeps the direction, the same one flips it.
    void clique_cabecalho(int coluna);

    // "Repor": the copy at `seleccionada` (an index into copias()) replaces
    // its database in the project folder, after the user says "Sim".  True
    // when it did.  A main database whose register could not be carried
    // gets a fresh one at once: the other windows open it next.
    bool repor(std::optional<std::size_t> seleccionada);

    const std::vector<std::string>& pastas() const { return pastas_; }
    const std::vector<CopiaEncontrada>& copias() const { return copias_; }
    int coluna_ordem() const { return coluna_ordem_; }
    int sentido_ordem() const { return sentido_ordem_; }

  private:
    Services& servicos_;
    const ProjectoActual& projecto_;
    std::string separador_;
    bool ja_activada_ = false;
    bool ja_avisou_ = false;
    OndeProcurar onde_;
    std::vector<std::string> pastas_;
    std::vector<CopiaEncontrada> copias_;
    std::optional<FonteCopias> fonte_;
    std::string aviso_;
    int coluna_ordem_ = 2;
    int sentido_ordem_ = 1;
};

// Replaces the database of the copy found `copia` by it, with the
// database's password; the main database keeps its register.  What killed
// restores left in the project folder is put right first, and files another
// restore may hold are said (recupera_e_avisa).  nullopt when
// done; otherwise the message to show (the usual two lines, then why), and
// the database is as it was.  `registo_recriado`, when given, tells whether
// the live register could not be carried (a fresh one is then made).
std::optional<std::string> repoe_encontrada(Services& servicos, const ProjectoActual& projecto,
                                            const OndeProcurar& onde, const CopiaEncontrada& copia,
                                            bool* registo_recriado = nullptr);

// "Cópia concluida", and when the register could not be carried, so.
std::string copia_concluida(bool registo_recriado);

// The question asked before a copy replaces a database, and the messages
// of the restore.
std::string pergunta_reposicao();
std::string falha_reposicao();
inline constexpr const char* kSemSeleccao = "Tem de seleccionar uma base de dados.";
inline constexpr const char* kCopiaConcluida = "Cópia concluida";
inline constexpr const char* kSemBaseActual = "Não foi possível aceder à base de dados actual.";

}  // namespace pezolva::restore
