#include "common/ui/traducao_qt.h"

#include <QApplication>
#include <QPointer>
#include <QTranslator>
#include <cstring>

namespace pezolva {
namespace {

struct Traducao {
    const char* contexto;
    const char* fonte;
    const char* texto;
};

// Qt 6's source texts, by the class that translates them.
constexpr Traducao kTraducoes[] = {
    // Standard buttons of message boxes, button boxes and input dialogs.
    {"QPlatformTheme", "OK", "OK"},
    {"QPlatformTheme", "Cancel", "Cancelar"},
    {"QPlatformTheme", "&Yes", "&Sim"},
    {"QPlatformTheme", "&No", "&Não"},
    {"QPlatformTheme", "Yes to &All", "Sim para &todos"},
    {"QPlatformTheme", "N&o to All", "Nã&o para todos"},
    {"QPlatformTheme", "Open", "Abrir"},
    {"QPlatformTheme", "&Open", "&Abrir"},
    {"QPlatformTheme", "Save", "Guardar"},
    {"QPlatformTheme", "&Save", "&Guardar"},
    {"QPlatformTheme", "Save All", "Guardar todos"},
    {"QPlatformTheme", "Close", "Fechar"},
    {"QPlatformTheme", "Apply", "Aplicar"},
    {"QPlatformTheme", "Reset", "Repor"},
    {"QPlatformTheme", "Help", "Ajuda"},
    {"QPlatformTheme", "Discard", "Descartar"},
    {"QPlatformTheme", "Don't Save", "Não guardar"},
    {"QPlatformTheme", "Close without Saving", "Fechar sem guardar"},
    {"QPlatformTheme", "Abort", "Abortar"},
    {"QPlatformTheme", "Retry", "Tentar de novo"},
    {"QPlatformTheme", "Ignore", "Ignorar"},
    {"QPlatformTheme", "Restore Defaults", "Repor predefinições"},
    {"QMessageBox", "Show Details...", "Mostrar detalhes..."},
    {"QMessageBox", "Hide Details...", "Esconder detalhes..."},
    // The file chooser (the structure database's).
    {"QFileDialog", "Look in:", "Procurar em:"},
    {"QFileDialog", "File &name:", "&Nome do ficheiro:"},
    {"QFileDialog", "File name:", "Nome do ficheiro:"},
    {"QFileDialog", "Files of type:", "Ficheiros do tipo:"},
    {"QFileDialog", "Directory:", "Pasta:"},
    {"QFileDialog", "&Open", "&Abrir"},
    {"QFileDialog", "Open", "Abrir"},
    {"QFileDialog", "&Choose", "&Escolher"},
    {"QFileDialog", "&Save", "&Guardar"},
    {"QFileDialog", "Save As", "Guardar como"},
    {"QFileDialog", "Cancel", "Cancelar"},
    {"QFileDialog", "Back", "Voltar"},
    {"QFileDialog", "Forward", "Avançar"},
    {"QFileDialog", "Parent Directory", "Pasta acima"},
    {"QFileDialog", "Create New Folder", "Criar nova pasta"},
    {"QFileDialog", "List View", "Lista"},
    {"QFileDialog", "Detail View", "Detalhes"},
    {"QFileDialog", "Go back", "Voltar atrás"},
    {"QFileDialog", "Go forward", "Avançar"},
    {"QFileDialog", "Go to the parent directory", "Ir para a pasta acima"},
    {"QFileDialog", "Create a New Folder", "Criar uma nova pasta"},
    {"QFileDialog", "Change to list view mode", "Ver em lista"},
    {"QFileDialog", "Change to detail view mode", "Ver em detalhe"},
    {"QFileDialog", "Sidebar", "Barra lateral"},
    {"QFileDialog", "Recent Places", "Locais recentes"},
    {"QFileDialog", "&Rename", "&Mudar o nome"},
    {"QFileDialog", "&Delete", "&Apagar"},
    {"QFileDialog", "Show &hidden files", "Mostrar ficheiros &escondidos"},
    {"QFileDialog", "&New Folder", "&Nova pasta"},
    {"QFileDialog", "New Folder", "Nova pasta"},
    {"QFileDialog", "Directories", "Pastas"},
    {"QFileDialog", "All Files (*)", "Todos os ficheiros (*)"},
    {"QFileDialog", "Find Directory", "Procurar pasta"},
    {"QFileDialog", "%1\nDirectory not found.\nPlease verify the correct directory name was given.",
     "%1\nA pasta não existe.\nVerifique se o nome da pasta está certo."},
    {"QFileDialog", "%1\nFile not found.\nPlease verify the correct file name was given.",
     "%1\nO ficheiro não existe.\nVerifique se o nome do ficheiro está certo."},
    {"QFileDialog", "%1 already exists.\nDo you want to replace it?",
     "%1 já existe.\nQuer substituí-lo?"},
    {"QFileDialog", "Are you sure you want to delete '%1'?", "Quer mesmo apagar '%1'?"},
    {"QFileDialog", "'%1' is write protected.\nDo you want to delete it anyway?",
     "'%1' está protegido contra a escrita.\nQuer apagá-lo mesmo assim?"},
    {"QFileDialog", "Could not delete directory.", "Não foi possível apagar a pasta."},
    {"QFileSystemModel", "Name", "Nome"},
    {"QFileSystemModel", "Size", "Tamanho"},
    {"QFileSystemModel", "Type", "Tipo"},
    {"QFileSystemModel", "Date Modified", "Data de alteração"},
    {"QFileSystemModel", "Computer", "Computador"},
    {"QFileSystemModel", "My Computer", "O meu computador"},
    {"QFileSystemModel", "Drive", "Unidade"},
    {"QFileSystemModel", "Folder", "Pasta"},
    {"QFileSystemModel", "Unknown", "Desconhecido"},
    {"QFileSystemModel", "%1 File", "Ficheiro %1"},
    {"QFileSystemModel", "File Folder", "Pasta"},
    {"QAbstractFileIconProvider", "Drive", "Unidade"},
    {"QAbstractFileIconProvider", "Folder", "Pasta"},
    {"QAbstractFileIconProvider", "File Folder", "Pasta"},
    {"QAbstractFileIconProvider", "Unknown", "Desconhecido"},
    // Context menus of text fields and logs.
    {"QLineEdit", "&Undo", "&Anular"},
    {"QLineEdit", "&Redo", "&Refazer"},
    {"QLineEdit", "Cu&t", "Cor&tar"},
    {"QLineEdit", "&Copy", "&Copiar"},
    {"QLineEdit", "&Paste", "Co&lar"},
    {"QLineEdit", "Delete", "Apagar"},
    {"QLineEdit", "Select All", "Seleccionar tudo"},
    {"QWidgetTextControl", "&Undo", "&Anular"},
    {"QWidgetTextControl", "&Redo", "&Refazer"},
    {"QWidgetTextControl", "Cu&t", "Cor&tar"},
    {"QWidgetTextControl", "&Copy", "&Copiar"},
    {"QWidgetTextControl", "Copy &Link Location", "Copiar o &endereço da ligação"},
    {"QWidgetTextControl", "&Paste", "Co&lar"},
    {"QWidgetTextControl", "Delete", "Apagar"},
    {"QWidgetTextControl", "Select All", "Seleccionar tudo"},
    // Scroll bars' menus.
    {"QScrollBar", "Scroll here", "Deslocar para aqui"},
    {"QScrollBar", "Left edge", "Extremo esquerdo"},
    {"QScrollBar", "Top", "Topo"},
    {"QScrollBar", "Right edge", "Extremo direito"},
    {"QScrollBar", "Bottom", "Fundo"},
    {"QScrollBar", "Page left", "Página para a esquerda"},
    {"QScrollBar", "Page up", "Página acima"},
    {"QScrollBar", "Page right", "Página para a direita"},
    {"QScrollBar", "Page down", "Página abaixo"},
    {"QScrollBar", "Scroll left", "Deslocar para a esquerda"},
    {"QScrollBar", "Scroll up", "Deslocar para cima"},
    {"QScrollBar", "Scroll right", "Deslocar para a direita"},
    {"QScrollBar", "Scroll down", "Deslocar para baixo"},
};

class TraducaoQt : public QTranslator {
  public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* contexto, const char* fonte, const char*, int) const override {
        const char* texto = traducao_qt(contexto, fonte);
        return *texto ? QString::fromUtf8(texto) : QString();
    }
};

}  // namespace

const char* traducao_qt(const char* contexto, const char* fonte) {
    if (contexto == nullptr || fonte == nullptr) return "";
    for (const Traducao& t : kTraducoes) {
        if (std::strcmp(t.contexto, contexto) == 0 && std::strcmp(t.fonte, fonte) == 0)
            return t.texto;
    }
    return "";
}

void instala_traducao_qt() {
    static QPointer<TraducaoQt> instalada;
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (app == nullptr || (instalada && instalada->parent() == app)) return;
    instalada = new TraducaoQt(app);
    QCoreApplication::installTranslator(instalada);
}

}  // namespace pezolva
