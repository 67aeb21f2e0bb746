#include "common/ui/pergunta.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "common/ui/centra_form.h"

namespace pezolva {
namespace {

QStyle::StandardPixmap pixmap_of(Icon icon) {
    switch (icon) {
        case Icon::Warning:
            return QStyle::SP_MessageBoxWarning;
        case Icon::Critical:
            return QStyle::SP_MessageBoxCritical;
        case Icon::Information:
            return QStyle::SP_MessageBoxInformation;
        default:
            return QStyle::SP_MessageBoxQuestion;
    }
}

}  // namespace

pergunta::pergunta(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("pergunta"));
    image1_ = new QLabel(this);
    image1_->setObjectName(QStringLiteral("Image1"));
    label1_ = new QLabel(this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setTextFormat(Qt::PlainText);
    label1_->setWordWrap(true);
    command2_ = new QPushButton(QStringLiteral("Cancelar"), this);
    command2_->setObjectName(QStringLiteral("Command2"));
    connect(command2_, &QPushButton::clicked, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(image1_, 0, Qt::AlignTop);
    top->addWidget(label1_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setObjectName(QStringLiteral("botoes"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    buttons->addWidget(command2_);
    setMinimumWidth(420);
}

void pergunta::prepara(const Choice& choice) {
    resposta_ = -1;
    setWindowTitle(QString::fromStdString(choice.title));
    label1_->setText(QString::fromStdString(choice.text));
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    image1_->setPixmap(
        style()->standardIcon(pixmap_of(choice.icon), nullptr, this).pixmap(size, size));
    for (QPushButton* b : command1_) delete b;
    command1_.clear();
    auto* buttons = findChild<QHBoxLayout*>(QStringLiteral("botoes"));
    for (std::size_t i = 0; i < choice.options.size(); ++i) {
        auto* b = new QPushButton(QString::fromStdString(choice.options[i]), this);
        b->setObjectName(QStringLiteral("Command1(%1)").arg(i));
        const int index = static_cast<int>(i);
        connect(b, &QPushButton::clicked, this, [this, index] {
            resposta_ = index;
            accept();
        });
        buttons->insertWidget(static_cast<int>(i), b);
        command1_.push_back(b);
    }
    if (!command1_.empty()) command1_.front()->setDefault(true);
    adjustSize();
    centra_form(*this);
}

void pergunta::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!command1_.empty()) command1_.front()->setFocus();
}

}  // namespace pezolva
