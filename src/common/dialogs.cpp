#include "common/dialogs.h"

namespace pezolva {

void informa(Dialogs& dialogs, const std::string& text, const std::string& title, Icon icon) {
    dialogs.show(Message{text, icon, title, Buttons::Ok, Answer::Ok});
}

bool pergunta_sim_nao(Dialogs& dialogs, const std::string& text, const std::string& title,
                      bool default_yes) {
    return dialogs.show(Message{text, Icon::Question, title, Buttons::YesNo,
                                default_yes ? Answer::Yes : Answer::No}) == Answer::Yes;
}

}  // namespace pezolva
