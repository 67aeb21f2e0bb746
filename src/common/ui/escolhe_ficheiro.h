#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QFileDialog;
class QWidget;

namespace pezolva {

// The file chooser of the component (the structure database's): Qt's own
// dialog in every environment, never a desktop's native one, which would
// not speak the component's language and which no test could see; in
// European Portuguese whatever the user's LANG, every column included;
// details shown, with room for every heading.  Starts in `pasta`, with
// `filtros` ("Descrição (*.ext)"), for an existing file.
std::unique_ptr<QFileDialog> janela_escolhe_ficheiro(const QString& pasta,
                                                     const QStringList& filtros, QWidget* pai);

}  // namespace pezolva
