#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "common/dialogs.h"

namespace pezolva {

// Dialogs for tests: every message is recorded as shown, and answers come
// from a queue set up beforehand.  With the queue empty a question gets its
// default answer, a chooser is cancelled.
class ScriptedDialogs : public Dialogs {
  public:
    struct FolderRequest {
        std::string start;
        std::string prompt;
    };
    struct FileRequest {
        std::string start_folder;
        std::vector<FileFilter> filters;
    };

    Answer show(const Message& message) override;
    // Answers with the queued index (-1 for cancel), else -1.
    int choose(const Choice& choice) override;
    std::optional<std::string> choose_folder(const std::string& start,
                                             const std::string& prompt) override;
    std::optional<std::string> choose_file(const std::string& start_folder,
                                           const std::vector<FileFilter>& filters) override;

    void queue_answer(Answer answer) { answers_.push_back(answer); }
    void queue_choice(int index) { choices_.push_back(index); }
    // nullopt stands for the user cancelling the chooser.
    void queue_folder(std::optional<std::string> folder) { folders_.push_back(std::move(folder)); }
    void queue_file(std::optional<std::string> file) { files_.push_back(std::move(file)); }

    const std::vector<Message>& shown() const { return shown_; }
    const std::vector<Choice>& choices_shown() const { return choices_shown_; }
    const std::vector<FolderRequest>& folder_requests() const { return folder_requests_; }
    const std::vector<FileRequest>& file_requests() const { return file_requests_; }
    std::size_t unused_answers() const { return answers_.size(); }
    void clear() {
        shown_.clear();
        choices_shown_.clear();
        folder_requests_.clear();
        file_requests_.clear();
    }

  private:
    std::deque<Answer> answers_;
    std::deque<int> choices_;
    std::vector<Choice> choices_shown_;
    std::deque<std::optional<std::string>> folders_;
    std::deque<std::optional<std::string>> files_;
    std::vector<Message> shown_;
    std::vector<FolderRequest> folder_requests_;
    std::vector<FileRequest> file_requests_;
};

}  // namespace pezolva
