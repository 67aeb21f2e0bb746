#include "common/console_dialogs.h"

#include <string>

#include "common/text.h"

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
    const std::string text = linhas_lf(message.text);
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

std::string sem_acelerador(const std::string& caption) {
    std::string out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i;
        out += caption[i];
    }
    return out;
}

int ConsoleDialogs::choose(const Choice& choice) {
    std::string options;
    for (const std::string& o : choice.options) {
        options += (options.empty() ? "" : " / ") + sem_acelerador(o);
    }
    std::fprintf(out_, "%s: %s [%s]\n", choice.title.c_str(), choice.text.c_str(), options.c_str());
    const int index = chooser_ ? chooser_(choice) : -1;
    const bool valid = index >= 0 && index < static_cast<int>(choice.options.size());
    std::fprintf(out_, "  -> %s\n",
                 valid ? sem_acelerador(choice.options[static_cast<std::size_t>(index)]).c_str()
                       : "Cancelar");
    std::fflush(out_);
    return valid ? index : -1;
}

std::optional<std::string> ConsoleDialogs::choose_folder(const std::string&, const std::string&) {
    return std::nullopt;
}

std::optional<std::string> ConsoleDialogs::choose_file(const std::string&,
                                                       const std::vector<FileFilter>&) {
    return std::nullopt;
}

}  // namespace pezolva
