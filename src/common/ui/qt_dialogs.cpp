#include "common/ui/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

#include "common/text.h"
#include "common/ui/escolhe_ficheiro.h"
#include "common/ui/navegador_pastas.h"
#include "common/ui/pergunta.h"

namespace pezolva {
namespace {

QMessageBox::Icon qt_icon(Icon icon) {
    switch (icon) {
        case Icon::Information:
            return QMessageBox::Information;
        case Icon::Question:
            return QMessageBox::Question;
        case Icon::Warning:
            return QMessageBox::Warning;
        case Icon::Critical:
            return QMessageBox::Critical;
        case Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// Message texts use CR LF or a lone CR between lines; a label wants LF.
QString display_text(const std::string& text) { return QString::fromStdString(linhas_lf(text)); }

}  // namespace

Answer QtDialogs::show(const Message& message) {
    QMessageBox box(qt_icon(message.icon), QString::fromStdString(message.title),
                    display_text(message.text), QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    struct Choice {
        Answer answer;
        const char* caption;
        QMessageBox::ButtonRole role;
    };
    std::vector<Choice> choices;
    switch (message.buttons) {
        case Buttons::Ok:
            choices = {{Answer::Ok, "OK", QMessageBox::AcceptRole}};
            break;
        case Buttons::OkCancel:
            choices = {{Answer::Ok, "OK", QMessageBox::AcceptRole},
                       {Answer::Cancel, "Cancelar", QMessageBox::RejectRole}};
            break;
        case Buttons::YesNo:
            choices = {{Answer::Yes, "Sim", QMessageBox::YesRole},
                       {Answer::No, "Não", QMessageBox::NoRole}};
            break;
        case Buttons::YesNoCancel:
            choices = {{Answer::Yes, "Sim", QMessageBox::YesRole},
                       {Answer::No, "Não", QMessageBox::NoRole},
                       {Answer::Cancel, "Cancelar", QMessageBox::RejectRole}};
            break;
    }
    std::vector<std::pair<QAbstractButton*, Answer>> buttons;
    for (const Choice& c : choices) {
        QPushButton* b = box.addButton(QString::fromUtf8(c.caption), c.role);
        buttons.emplace_back(b, c.answer);
        if (c.answer == message.default_answer) box.setDefaultButton(b);
        if (c.answer == Answer::Cancel || (message.buttons == Buttons::Ok)) box.setEscapeButton(b);
    }
    box.exec();
    for (const auto& [button, answer] : buttons) {
        if (box.clickedButton() == button) return answer;
    }
    // Closed without a button: Cancel where there is one, else the default.
    for (const Choice& c : choices) {
        if (c.answer == Answer::Cancel) return Answer::Cancel;
    }
    return message.default_answer;
}

int QtDialogs::choose(const Choice& choice) {
    pergunta janela(QApplication::activeWindow());
    janela.prepara(choice);
    janela.raise();
    janela.exec();
    return janela.resposta();
}

std::optional<std::string> QtDialogs::choose_folder(const std::string& start,
                                                    const std::string& prompt) {
    NavegadorPastas janela(QString::fromStdString(start), QString::fromStdString(prompt),
                           QApplication::activeWindow());
    if (janela.exec() != QDialog::Accepted || janela.pasta().isEmpty()) return std::nullopt;
    return janela.pasta().toStdString();
}

std::optional<std::string> QtDialogs::choose_file(const std::string& start_folder,
                                                  const std::vector<FileFilter>& filters) {
    QStringList parts;
    // Qt reads a filter's patterns from the parentheses that end its name;
    // a description that already shows them is used as it is.
    for (const FileFilter& f : filters) {
        const bool mostra = !f.description.empty() && f.description.back() == ')';
        parts << QString::fromStdString(mostra ? f.description
                                               : f.description + " (" + f.patterns + ")");
    }
    const std::unique_ptr<QFileDialog> janela = janela_escolhe_ficheiro(
        QString::fromStdString(start_folder), parts, QApplication::activeWindow());
    if (janela->exec() != QDialog::Accepted || janela->selectedFiles().isEmpty())
        return std::nullopt;
    return janela->selectedFiles().front().toStdString();
}

}  // namespace pezolva
