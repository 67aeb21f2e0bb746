#include "common/console_dialogs.h"

#include <string>

namespace pezolva {

const char* answer_caption(Answer answer) {
    switch (answer) {
        case Answer::Ok:
            return "OK";
        case Answer::Cancel:
            return "Cancelar";
        case Answer::Yes:
            return "Sim";
        case Answer::No:
            return "Não";
    }
    return "";
}

Answer ConsoleDialogs::show(const Message& message) {
    // Lines of a message may end in CR LF, LF or a lone CR: a terminal wants LF.
    std::string text;
    for (std::size_t i = 0; i < message.text.size(); ++i) {
        const char c = message.text[i];
        if (c == '\r') {
            text += '\n';
            if (i + 1 < message.text.size() && message.text[i + 1] == '\n') ++i;
        } else {
            text += c;
        }
    }
    std::fprintf(out_, "%s: %s\n", message.title.c_str(), text.c_str());
    if (message.buttons == Buttons::Ok) {
        std::fflush(out_);
        return Answer::Ok;
    }
    Answer answer = message.default_answer;
    if (answerer_) {
        if (auto given = answerer_(message)) answer = *given;
    }
    std::fprintf(out_, "  -> %s\n", answer_caption(answer));
    std::fflush(out_);
    return answer;
}

std::optional<std::string> ConsoleDialogs::choose_folder(const std::string&, const std::string&) {
    return std::nullopt;
}

std::optional<std::string> ConsoleDialogs::choose_file(const std::string&,
                                                       const std::vector<FileFilter>&) {
    return std::nullopt;
}

}  // namespace pezolva
