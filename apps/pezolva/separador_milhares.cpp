#include "separador_milhares.h"

#include <QLocale>

namespace pezolva::cli {

std::string separador_de_milhares() { return QLocale::system().groupSeparator().toStdString(); }

}  // namespace pezolva::cli
