#include "backup/ordem_copia.h"

#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

#include "common/text.h"

namespace pezolva::backup {
namespace {

void require_complete(const OrdemCopia& order) {
    if (!order.complete) {
        throw std::logic_error("ordem de cópia incompleta: as relações formam um ciclo");
    }
}

}  // namespace

bool is_system_table(std::string_view name) { return istarts_with(name, "MSys"); }

OrdemCopia ordena_tabelas(const std::vector<std::string>& tables,
                          const std::vector<Dependencia>& relations) {
    // Referenced tables (folded) of each foreign table (folded).
    std::unordered_map<std::string, std::vector<std::string>> parents;
    for (const Dependencia& r : relations) {
        parents[fold_case(r.foreign_table)].push_back(fold_case(r.table));
    }

    struct Pending {
        std::size_t index;  // into `tables`
        std::string folded;
        const std::vector<std::string>* parents;  // null when it refers to nothing
    };
    std::vector<Pending> pending;
    pending.reserve(tables.size());
    for (std::size_t i = 0; i < tables.size(); ++i) {
        std::string folded = fold_case(tables[i]);
        const auto found = parents.find(folded);
        pending.push_back(
            {i, std::move(folded), found == parents.end() ? nullptr : &found->second});
    }

    std::unordered_set<std::string> placed;
    placed.reserve(tables.size());
    const auto ready = [&placed](const Pending& p) {
        if (p.parents == nullptr) return true;
        for (const std::string& parent : *p.parents) {
            if (!placed.contains(parent)) return false;
        }
        return true;
    };

    OrdemCopia order;
    bool progress = true;
    while (!pending.empty() && progress) {
        progress = false;
        std::vector<std::string> level;
        std::vector<Pending> still;
        for (Pending& p : pending) {
            // A name listed twice is placed with its first entry.
            if (placed.contains(p.folded)) continue;
            if (!ready(p)) {
                still.push_back(std::move(p));
                continue;
            }
            if (!is_system_table(tables[p.index])) level.push_back(tables[p.index]);
            placed.insert(std::move(p.folded));
            progress = true;
        }
        pending = std::move(still);
        // A pass that placed only system tables adds no level: a walk that
        // stops at the first empty level would miss the levels after it.
        if (!level.empty()) order.levels.push_back(std::move(level));
    }

    order.complete = pending.empty();
    for (const Pending& p : pending) order.unplaced.push_back(tables[p.index]);
    return order;
}

std::vector<std::string> ordem_de_enchimento(const OrdemCopia& order) {
    require_complete(order);
    std::vector<std::string> result;
    for (const auto& level : order.levels) result.insert(result.end(), level.begin(), level.end());
    return result;
}

std::vector<std::string> ordem_de_esvaziamento(const OrdemCopia& order) {
    require_complete(order);
    std::vector<std::string> result;
    for (auto level = order.levels.rbegin(); level != order.levels.rend(); ++level) {
        result.insert(result.end(), level->rbegin(), level->rend());
    }
    return result;
}

std::optional<std::string> erro_de_alteracao(const std::string& table, int copy_field_count,
                                             const std::optional<TabelaViva>& live) {
    if (!live) return "A tabela " + table + " da base de dados antiga foi apagada na nova";
    if (live->field_count != copy_field_count) return "Alteração na tabela " + live->name;
    return std::nullopt;
}

}  // namespace pezolva::backup
