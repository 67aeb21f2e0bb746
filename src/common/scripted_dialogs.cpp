#include "common/scripted_dialogs.h"

namespace pezolva {

Answer ScriptedDialogs::show(const Message& message) {
    shown_.push_back(message);
    if (answers_.empty()) return message.default_answer;
    const Answer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

int ScriptedDialogs::choose(const Choice& choice) {
    choices_shown_.push_back(choice);
    if (choices_.empty()) return -1;
    const int index = choices_.front();
    choices_.pop_front();
    return index;
}

std::optional<std::string> ScriptedDialogs::choose_folder(const std::string& start,
                                                          const std::string& prompt) {
    folder_requests_.push_back({start, prompt});
    if (folders_.empty()) return std::nullopt;
    auto folder = std::move(folders_.front());
    folders_.pop_front();
    return folder;
}

std::optional<std::string> ScriptedDialogs::choose_file(const std::string& start_folder,
                                                        const std::vector<FileFilter>& filters) {
    file_requests_.push_back({start_folder, filters});
    if (files_.empty()) return std::nullopt;
    auto file = std::move(files_.front());
    files_.pop_front();
    return file;
}

}  // namespace pezolva
