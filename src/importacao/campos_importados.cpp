#include "importacao/campos_importados.h"

#include <cmath>
#include <cstdio>

#include "engine/field_types.h"
#include "engine/quoting.h"

namespace pezolva::importacao {

engine::Field campo_importado(const ColunaJet& c, bool chave_unica, std::string& nota) {
    using namespace engine;
    nota.clear();
    switch (c.tipo) {
        case JetSimNao:
            return Field(c.nome, TipoSimNao);
        case JetByte:
            return Field(c.nome, TipoByte);
        case JetInteiro:
            return Field(c.nome, TipoInteiro);
        case JetLongo:
            // The row number: SQLite fills a key declared exactly INTEGER.
            if (c.autonumero && chave_unica) return Field::FromDeclared(c.nome, "INTEGER", false);
            if (c.autonumero)
                nota =
                    "numeração automática fora da chave primária: fica um Longo que não se "
                    "preenche só";
            return Field(c.nome, TipoLongo);
        case JetMoeda:
            return Field(c.nome, TipoMoeda);
        case JetSimples:
            return Field(c.nome, TipoSimples);
        case JetDuplo:
            return Field(c.nome, TipoDuplo);
        case JetDataHora:
            return Field(c.nome, TipoDataHora);
        case JetTexto:
            return Field(c.nome, TipoTexto, c.tamanho > 0 ? c.tamanho : 255);
        case JetMemo:
            return Field(c.nome, TipoMemo);
        case JetOle:
            return Field(c.nome, TipoBinario);
        case JetBinario:
            nota = "binário de tamanho fixo passa a binário longo";
            return Field(c.nome, TipoBinario);
        case JetReplicacao:
            nota = "identificador de replicação guardado como texto";
            return Field(c.nome, TipoTexto, 38);
        case JetDecimal:
            nota = "decimal guardado como texto";
            return Field(c.nome, TipoTexto, 40);
        default:
            nota = "tipo " + std::to_string(c.tipo) + " sem equivalente: guardado como binário";
            return Field(c.nome, TipoBinario);
    }
}

std::string literal(const Celula& c) {
    switch (c.tipo) {
        case Celula::Tipo::Nulo:
            return "NULL";
        case Celula::Tipo::Inteiro:
            return std::to_string(c.inteiro);
        case Celula::Tipo::Real: {
            if (!std::isfinite(c.real)) return "NULL";
            char texto[40];
            std::snprintf(texto, sizeof texto, "%.17g", c.real);
            return texto;
        }
        case Celula::Tipo::Texto:
            return engine::quote_literal(c.texto);
        case Celula::Tipo::Binario: {
            static const char kHex[] = "0123456789ABCDEF";
            std::string hex = "X'";
            hex.reserve(c.texto.size() * 2 + 3);
            for (unsigned char b : c.texto) {
                hex += kHex[b >> 4];
                hex += kHex[b & 15];
            }
            return hex + "'";
        }
    }
    return "NULL";
}

}  // namespace pezolva::importacao
