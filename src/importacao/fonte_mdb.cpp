#include "importacao/fonte_mdb.h"

#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "importacao/celula_mdb.h"
#include "importacao/erro_importacao.h"
#include "importacao/libmdb.h"
#include "importacao/relacoes_jet.h"

namespace pezolva::importacao {
namespace {

bool e_de_sistema(const std::string& nome) {
    return nome.size() >= 4 && strncasecmp(nome.c_str(), "MSys", 4) == 0;
}

// The first bytes of a Jet file: a version word, then "Standard Jet DB".
void confirma_jet(const std::string& caminho) {
    const int fd = ::open(caminho.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw ErroImportacao("Não foi possível ler o ficheiro " + caminho + ": " +
                             std::strerror(errno) + ".");
    char cabecalho[20] = {};
    const ssize_t lidos = ::read(fd, cabecalho, sizeof cabecalho);
    ::close(fd);
    if (lidos < 0)
        throw ErroImportacao("Não foi possível ler o ficheiro " + caminho + ": " +
                             std::strerror(errno) + ".");
    if (lidos < static_cast<ssize_t>(sizeof cabecalho) ||
        std::memcmp(cabecalho + 4, "Standard Jet DB", 15) != 0) {
        throw ErroImportacao("O ficheiro " + caminho + " não é uma base de dados Jet.");
    }
}

struct LibertaTabela {
    void operator()(MdbTableDef* t) const { mdb_free_tabledef(t); }
};
using Tabela = std::unique_ptr<MdbTableDef, LibertaTabela>;

class FonteMdb final : public FonteJet {
  public:
    explicit FonteMdb(std::string caminho) : caminho_(std::move(caminho)) {
        confirma_jet(caminho_);
        mdb_ = mdb_open(caminho_.c_str(), MDB_NOFLAGS);
        if (!mdb_ || !mdb_read_catalog(mdb_, MDB_ANY)) {
            if (mdb_) mdb_close(mdb_);
            throw ErroImportacao("O ficheiro " + caminho_ +
                                 " está danificado: o catálogo não se lê.");
        }
        mdb_set_boolean_fmt_numbers(mdb_);
    }
    ~FonteMdb() override { mdb_close(mdb_); }
    FonteMdb(const FonteMdb&) = delete;
    FonteMdb& operator=(const FonteMdb&) = delete;

    int versao() const override { return mdb_->f->jet_version == MDB_VER_JET3 ? 3 : 4; }

    std::vector<std::string> tabelas() override {
        std::vector<std::string> nomes;
        for (MdbCatalogEntry* e : entradas()) {
            if (mdb_is_user_table(e) && !e_de_sistema(e->object_name))
                nomes.emplace_back(e->object_name);
        }
        return nomes;
    }

    TabelaJet tabela(const std::string& nome) override { return define(nome, MDB_TABLE); }

    std::vector<RelacaoJet> relacoes() override;
    void linhas(const std::string& tabela,
                const std::function<bool(const std::vector<Celula>&)>& linha) override {
        le(tabela, MDB_TABLE, linha);
    }
    std::vector<std::string> outros_objectos() override;

    std::optional<std::string> palavra_passe() const override {
        if (versao() != 3) return std::nullopt;  // Jet 4 scrambles it with the file's key
        return std::string(mdb_->f->db_passwd,
                           strnlen(mdb_->f->db_passwd, sizeof mdb_->f->db_passwd));
    }

  private:
    TabelaJet define(const std::string& nome, int tipo) {
        Tabela t = abre(nome, tipo);
        TabelaJet def;
        def.nome = t->name;
        const bool jet4 = versao() == 4;
        for (unsigned i = 0; i < t->num_cols; ++i) {
            auto* c = static_cast<MdbColumn*>(g_ptr_array_index(t->columns, i));
            int tamanho = c->col_size;
            if (c->col_type == MDB_TEXT && jet4) tamanho /= 2;  // Jet 4 counts bytes of UCS-2
            def.colunas.push_back({c->name, c->col_type, tamanho, c->is_long_auto != 0});
        }
        def.indices = indices(t.get());
        return def;
    }

    void le(const std::string& tabela, int tipo,
            const std::function<bool(const std::vector<Celula>&)>& linha);

    std::vector<MdbCatalogEntry*> entradas() const {
        std::vector<MdbCatalogEntry*> todas;
        for (unsigned i = 0; i < mdb_->num_catalog; ++i) {
            todas.push_back(static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb_->catalog, i)));
        }
        return todas;
    }

    Tabela abre(const std::string& nome, int tipo) {
        Tabela t(mdb_read_table_by_name(mdb_, const_cast<gchar*>(nome.c_str()), tipo));
        if (!t || !mdb_read_columns(t.get())) {
            throw ErroImportacao("O ficheiro " + caminho_ + " está danificado: a tabela " + nome +
                                 " não se lê.");
        }
        return t;
    }

    static std::vector<IndiceJet> indices(MdbTableDef* t) {
        std::vector<IndiceJet> lista;
        mdb_read_indices(t);  // fills t->indices; what it returns is not them
        for (unsigned i = 0; t->indices && i < t->indices->len; ++i) {
            auto* idx = static_cast<MdbIndex*>(g_ptr_array_index(t->indices, i));
            if (idx->index_type == 2)
                continue;  // the other side of a relation: no fields of its own
            IndiceJet indice{idx->name,
                             {},
                             idx->index_type == 1,
                             (idx->flags & 0x01) != 0,
                             (idx->flags & 0x08) != 0};
            for (unsigned k = 0; k < idx->num_keys; ++k) {
                const int coluna = idx->key_col_num[k] - 1;
                if (coluna < 0 || coluna >= static_cast<int>(t->num_cols)) continue;
                indice.campos.emplace_back(
                    static_cast<MdbColumn*>(g_ptr_array_index(t->columns, coluna))->name);
            }
            if (!indice.campos.empty()) lista.push_back(std::move(indice));
        }
        return lista;
    }

    std::string caminho_;
    MdbHandle* mdb_ = nullptr;
};

void FonteMdb::le(const std::string& tabela, int tipo,
                  const std::function<bool(const std::vector<Celula>&)>& linha) {
    Tabela t = abre(tabela, tipo);
    LeitorLinhas leitor(mdb_, t.get());
    mdb_rewind_table(t.get());
    std::vector<Celula> celulas;
    while (mdb_fetch_row(t.get())) {
        leitor.le(celulas);
        if (!linha(celulas)) break;
    }
}

// The relations are rows of a system table: one a field, grouped by name.
std::vector<RelacaoJet> FonteMdb::relacoes() {
    bool existe = false;
    for (MdbCatalogEntry* e : entradas())
        existe = existe || strcasecmp(e->object_name, "MSysRelationships") == 0;
    if (!existe) return {};
    const TabelaJet def = define("MSysRelationships", MDB_ANY);
    std::vector<LinhaRelacao> lidas;
    le("MSysRelationships", MDB_ANY, [&](const std::vector<Celula>& c) {
        lidas.push_back(linha_relacao(def, c));
        return true;
    });
    return agrupa_relacoes(std::move(lidas));
}

std::vector<std::string> FonteMdb::outros_objectos() {
    std::vector<std::string> outros;
    for (MdbCatalogEntry* e : entradas()) {
        const char* tipo = nullptr;
        switch (e->object_type) {
            case MDB_FORM:
                tipo = "formulário";
                break;
            case MDB_REPORT:
                tipo = "relatório";
                break;
            case MDB_MACRO:
                tipo = "macro";
                break;
            case MDB_MODULE:
                tipo = "módulo";
                break;
            case MDB_QUERY:
                tipo = "consulta";
                break;
            case MDB_LINKED_TABLE:
                tipo = "tabela ligada";
                break;
            default:
                break;
        }
        if (tipo && !e_de_sistema(e->object_name))
            outros.push_back(std::string(tipo) + " " + e->object_name);
    }
    return outros;
}

}  // namespace

std::unique_ptr<FonteJet> abre_fonte_mdb(const std::string& caminho) {
    return std::make_unique<FonteMdb>(caminho);
}

}  // namespace pezolva::importacao
