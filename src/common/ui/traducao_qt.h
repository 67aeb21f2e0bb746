#pragma once

namespace pezolva {

// Qt's own texts that a user of the component's windows can meet (the
// file chooser's labels and buttons, the standard buttons, the text
// fields' context menus, the scroll bars' menus), in European Portuguese:
// Qt ships no catalogue for it, and its Brazilian one differs.  Installed
// once in the running QApplication (again in a new one); does nothing
// without one.  Texts it does not know are left to the host's own
// translators.
void instala_traducao_qt();

// The Portuguese for Qt's text `fonte` of the class `contexto`; empty when
// none is known.
const char* traducao_qt(const char* contexto, const char* fonte);

}  // namespace pezolva
