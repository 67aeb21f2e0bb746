#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/date_time.h"
#include "common/file_system.h"

namespace pezolva {

// The compacted copy while it waits to take the database's place: the
// database's name and the moment of the start as "ddmmyyyyhhnnss", with no
// further extension ("brasol.mdb05122006143012").
std::string nome_temporario(const std::string& nomebd, const DateTime& inicio);

// The name the old database keeps: the name less its last four characters,
// the moment "yyyymmddhhnn", and ".mdb" ("brasol200612051430.mdb";
// "dados.accdb" gives "dados.200612051430.mdb").  nullopt for a name of
// fewer than four characters, which has no backup name.
std::optional<std::string> nome_antiga(const std::string& nomebd, const DateTime& momento);

// Whether `ficheiro` is a name nome_temporario gives for `nomebd`, or its
// compaction tool's partial file: what a killed compaction leaves.
bool e_sobra_temporaria(const std::string& nomebd, const std::string& ficheiro);
// Whether `ficheiro` is a name nome_antiga gives for `nomebd`.
bool e_nome_antiga(const std::string& nomebd, const std::string& ficheiro);

// The compaction tool: "jetcomp4/jetcomp" in the database's folder, else
// "jetcomp" there, else "jetcomp" in each of `pastas_programa` (beside the
// installed launcher) in turn; nullopt when none exists.
//
// The tool gets the database's password, and a project folder is often
// shared: one found there runs only when it and every folder from the
// database's folder down to it belong to this user or to root and can be
// written by neither group nor others (tool_confiavel).  Otherwise it is
// passed over for the installed one, and `passada`, when given, says why.
std::optional<std::string> procura_jetcomp(FileSystem& files, const std::string& caminhobd,
                                           const std::vector<std::string>& pastas_programa,
                                           std::string* passada = nullptr);

// Why `ferramenta`, inside `pasta`, may have been put there by someone
// else: nullopt when it and each folder from `pasta` down to it belong to
// this user or root and are not writable by group or others.
std::optional<std::string> nao_confiavel(const std::string& pasta, const std::string& ferramenta);

}  // namespace pezolva
