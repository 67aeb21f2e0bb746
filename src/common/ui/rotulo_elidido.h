#pragma once

#include <QLabel>
#include <QString>

namespace pezolva {

// A label for a path or a name that may be longer than its room: the text
// that does not fit is elided in the middle, so that the file or the last
// folder stays visible, and the whole text is the tooltip.  Widening the
// label shows more of it.  Its size hint never grows with the text, so a
// long name does not make its window jump in width.
class RotuloElidido : public QLabel {
    Q_OBJECT
  public:
    explicit RotuloElidido(QWidget* parent = nullptr);

    void setTextoCompleto(const QString& texto);
    const QString& textoCompleto() const { return completo_; }
    // True when what is shown is not the whole text.
    bool elidido() const { return text() != completo_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void elide();
    QString completo_;
};

}  // namespace pezolva
