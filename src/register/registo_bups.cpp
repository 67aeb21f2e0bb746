#include "register/registo_bups.h"

#include "common/date_time.h"
#include "engine/error.h"
#include "engine/quoting.h"
#include "register/bups.h"
#include "register/percurso.h"

namespace pezolva {
namespace {

namespace col = pezolva::bups;

std::string texto_de(const Value& valor) {
    if (valor.kind() == Value::Kind::Date) return texto_data_hora(*valor.to_date());
    return valor.to_text();
}

}  // namespace

void RegistoBups::abre(const ProjectoActual& projecto) {
    registo_.Close();
    bd_ = engine::OpenDatabase(projecto.base_principal(), false, false, projecto.ligacao());
}

bool RegistoBups::carrega() {
    registo_.Close();
    engine::Recordset rs;
    try {
        rs = bd_.OpenRecordset("select * from BUPS");
    } catch (const engine::EngineError&) {
        return false;  // no table BUPS: told by the caller as a missing register
    }
    if (rs.IsEOF() && rs.IsBOF()) return false;
    registo_ = std::move(rs);
    return true;
}

std::string ultima_copia(const engine::Recordset& linha) {
    const std::string data = texto_de(linha[col::kUltData]);
    const std::string hora = texto_de(linha[col::kUltHora]);
    return data.empty() || hora.empty() ? data + hora : data + " " + hora;
}

std::vector<LinhaLista> RegistoBups::linhas() const {
    std::vector<LinhaLista> linhas;
    if (!carregado()) return linhas;
    cada_linha(registo_, [&](const engine::Recordset& rs) {
        linhas.push_back(
            {rs[col::kNomeBd].to_text(), rs[col::kCaminhoDestino].to_text(), ultima_copia(rs)});
    });
    return linhas;
}

std::vector<std::string> RegistoBups::devidas(const DateTime& agora) const {
    if (!carregado()) return {};
    return bases_devidas(registo_, agora);
}

bool RegistoBups::vai_para(const std::string& nome) {
    if (!carregado()) return false;
    const bool havia = tem_linha_actual();
    const std::int64_t marca = havia ? registo_.Bookmark() : 0;
    registo_.FindFirst(std::string(col::kNomeBd) + "=" + engine::quote_literal(nome));
    if (!registo_.NoMatch()) return true;
    if (havia) registo_.SetBookmark(marca);
    return false;
}

bool RegistoBups::tem_linha_actual() const {
    return carregado() && !registo_.IsEOF() && !registo_.IsBOF();
}

std::string RegistoBups::nome_actual() const { return valor(col::kNomeBd).to_text(); }

Value RegistoBups::valor(std::string_view coluna) const {
    if (!tem_linha_actual() || definicao(coluna) == nullptr) return Value();
    return registo_.Fields(coluna);
}

const engine::Field* RegistoBups::definicao(std::string_view coluna) const {
    if (!carregado()) return nullptr;
    return registo_.FieldDefs().Find(coluna);
}

void RegistoBups::grava(std::string_view coluna, const Value& valor) {
    registo_.Edit();
    try {
        registo_.SetField(coluna, valor);
        registo_.Update();
    } catch (...) {
        registo_.CancelUpdate();
        throw;
    }
}

void RegistoBups::grava_em_todas(std::string_view coluna, const Value& valor) {
    engine::Transaction transaccao(bd_);
    engine::Recordset rs = registo_.Clone();
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) {
        rs.Edit();
        rs.SetField(coluna, valor);
        rs.Update();
    }
    transaccao.Commit();
}

}  // namespace pezolva
