#include "backup/ui/campos_registo.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "common/text.h"
#include "common/valida_valor.h"
#include "engine/field_types.h"
#include "register/bups.h"

namespace pezolva::backup {
namespace {

namespace col = pezolva::bups;

std::optional<double> le_numero(const std::string& texto) {
    if (!texto_numerico(texto)) return std::nullopt;
    const bool virgula = texto.find(',') != std::string::npos;
    const auto pontos = std::count(texto.begin(), texto.end(), '.');
    std::string normal;
    for (char c : texto) {
        if (c == '+') continue;
        if (c == '.') {
            // Without a decimal comma a lone "." is the decimal point.
            if (!virgula && pontos == 1) normal += '.';
        } else if (c == ',') {
            normal += '.';
        } else {
            normal += c;
        }
    }
    double v = 0;
    const auto [fim, erro] = std::from_chars(normal.data(), normal.data() + normal.size(), v);
    if (erro != std::errc() || fim != normal.data() + normal.size() || !std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}

std::optional<Value> inteiro_entre(const std::string& texto, double minimo, double maximo) {
    const auto v = le_numero(texto);
    if (!v) return std::nullopt;
    const double r = std::nearbyint(*v);  // halves to even, as the engine's conversions do
    if (r < minimo || r > maximo) return std::nullopt;
    return Value(static_cast<std::int64_t>(r));
}

}  // namespace

const std::array<CampoRegisto, kNumeroCampos>& campos_registo() {
    static const std::array<CampoRegisto, kNumeroCampos> campos = {{
        {0, col::kNomeBd, "Nome BD", "", true, true},
        {1, col::kUltNomeEstrutura, "Nome Estrutura", "", true, true},
        {2, col::kCaminhoDestino, "Caminho Dest.", "", true, true},
        {3, col::kCopiasAManter, "Núm. Cópias",
         "Número de cópias das bases de dados que são mantidas na pasta de segurança", true, true},
        {4, col::kDiasIntervalo, "Dias Intervalo",
         "Intervalo de dias em que é aconselhável fazer cópias de segurança", true, true},
        {5, col::kNIntegridades, "Integridade (1/x)",
         "Verificações da integridade das bases de dados: 1 em cada x vezes", true, true},
        {6, col::kUltData, "Data / Hora", "", false, false},
        {7, col::kUltHora, "", "", false, false},
        {8, col::kUltDuracao, "Duração (m)", "", false, false},
        {9, col::kUltDestino, "Destino", "", false, false},
        {10, col::kUltTamanho, "Tamanho (bytes)", "", false, false},
        {11, col::kUltNRegistos, "Núm. Registos", "", false, false},
        {12, col::kUltUtilizador, "Utilizador", "", false, false},
    }};
    return campos;
}

std::string agrupa_milhares(std::int64_t n) {
    const std::string digitos =
        std::to_string(n < 0 ? -(n + 1) + std::uint64_t{1} : std::uint64_t(n));
    std::string r;
    const std::size_t primeiro = digitos.size() % 3 == 0 ? 3 : digitos.size() % 3;
    for (std::size_t i = 0; i < digitos.size(); ++i) {
        if (i >= primeiro && (i - primeiro) % 3 == 0) r += '.';
        r += digitos[i];
    }
    return n < 0 ? "-" + r : r;
}

std::string texto_do_valor(const Value& valor, int indice) {
    if (valor.is_null()) return "";
    if (valor.kind() == Value::Kind::Date) return texto_data_hora(*valor.to_date());
    if (indice == kCampoTamanho && valor.kind() == Value::Kind::Integer) {
        return agrupa_milhares(*valor.to_integer());
    }
    return valor.to_text();
}

std::optional<Value> valor_do_texto(const std::string& texto, int tipo) {
    if (texto.empty()) return Value();
    switch (tipo) {
        case engine::TipoSimNao: {
            const auto b = Value(texto).to_boolean();
            if (!b) return std::nullopt;
            return Value(*b);
        }
        case engine::TipoByte:
            return inteiro_entre(texto, 0, 255);
        case engine::TipoInteiro:
            return inteiro_entre(texto, -32768, 32767);
        case engine::TipoLongo:
            return inteiro_entre(texto, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max());
        case engine::TipoSimples: {
            const auto v = le_numero(texto);
            if (!v || std::abs(*v) > std::numeric_limits<float>::max()) return std::nullopt;
            return Value(*v);
        }
        case engine::TipoDuplo: {
            const auto v = le_numero(texto);
            if (!v) return std::nullopt;
            return Value(*v);
        }
        case engine::TipoDataHora: {
            const auto d = DateTime::parse_user(texto);
            if (!d) return std::nullopt;
            return Value(*d);
        }
        default:
            return Value(texto);
    }
}

AvaliacaoEdicao avalia_edicao(const CampoRegisto& campo, const std::string& texto,
                              const engine::Field& definicao, Dialogs& dialogs) {
    if (!valida_valor(Value(texto), definicao.Type(), definicao.Size(), dialogs)) {
        return {Desfecho::Recusado, Value()};
    }
    if (texto.empty()) {
        if (!campo.obrigatorio) return {Desfecho::Gravar, Value()};
        informa(dialogs, "Tem de introduzir um valor.", "Atenção", Icon::Information);
        return {Desfecho::Obrigatorio, Value()};
    }
    const auto valor = valor_do_texto(texto, definicao.Type());
    if (!valor) {
        informa(dialogs, "Valor inválido.", "Erro", Icon::Warning);
        return {Desfecho::Recusado, Value()};
    }
    return {Desfecho::Gravar, *valor};
}

std::string pasta_inicial_estrutura(const std::string& texto, const std::string& nome_bd,
                                    const std::string& pasta_projecto) {
    const std::string estrutura = trim(texto);
    if (estrutura.empty()) return pasta_projecto;
    std::string ficheiro, pasta;
    separa_ultimo(estrutura, '/', ficheiro, pasta);
    if (!pasta.empty() || estrutura.front() == '/') return pasta.empty() ? "/" : pasta;
    std::string pasta_bd;
    separa_ultimo(nome_bd, '/', ficheiro, pasta_bd);
    return pasta_bd.empty() ? pasta_projecto : pasta_bd;
}

}  // namespace pezolva::backup
