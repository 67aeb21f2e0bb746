#pragma once

#include <cstdio>
#include <functional>
#include <optional>

#include "common/dialogs.h"

namespace pezolva {

// Dialogs for the unattended subcommands.  Messages are written to a stream
// (standard error by default) as "Título: texto"; a question is answered by
// the `answerer` when it has an answer for it, else by its default answer,
// and the answer taken is written after it.  Choosers are cancelled: nobody
// is there to choose.
class ConsoleDialogs : public Dialogs {
public:
    using Answerer = std::function<std::optional<Answer>(const Message&)>;

    explicit ConsoleDialogs(std::FILE* out = stderr, Answerer answerer = {})
        : out_(out), answerer_(std::move(answerer)) {}

    Answer show(const Message& message) override;
    std::optional<std::string> choose_folder(const std::string& start,
                                             const std::string& prompt) override;
    std::optional<std::string> choose_file(const std::string& start_folder,
                                           const std::vector<FileFilter>& filters) override;

private:
    std::FILE* out_;
    Answerer answerer_;
};

// The Portuguese caption of a button ("Sim", "Não", "Cancelar", "OK").
const char* answer_caption(Answer answer);

}  // namespace pezolva
