// The display's windows through xcb: the root's tree, each window's
// WM_CLASS (its class is the second of its two texts) and its title
// (_NET_WM_NAME, else WM_NAME).
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "compaction/procura_janela.h"

namespace pezolva {
namespace {

// Beyond any real display; a loop in a broken tree ends here.
constexpr int kProfundidadeMaxima = 64;
constexpr std::uint32_t kComprimentoMaximo = 255;

template <typename T>
using Resposta = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t atomo(xcb_connection_t* c, const char* nome) {
    Resposta<xcb_intern_atom_reply_t> r(
        xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 1, static_cast<std::uint16_t>(std::strlen(nome)), nome), nullptr),
        &std::free);
    return r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::string propriedade(xcb_connection_t* c, xcb_window_t w, xcb_atom_t nome, xcb_atom_t tipo) {
    if (nome == XCB_ATOM_NONE) return {};
    Resposta<xcb_get_property_reply_t> r(
        xcb_get_property_reply(
            c, xcb_get_property(c, 0, w, nome, tipo, 0, kComprimentoMaximo / 4 + 1), nullptr),
        &std::free);
    if (!r || r->format != 8) return {};
    const auto* dados = static_cast<const char*>(xcb_get_property_value(r.get()));
    return std::string(dados, static_cast<std::size_t>(xcb_get_property_value_length(r.get())));
}

struct Atomos {
    xcb_atom_t utf8, net_wm_name;
};

JanelaSistema le_janela(xcb_connection_t* c, const Atomos& a, xcb_window_t w, int profundidade) {
    JanelaSistema j;
    j.id = w;
    const std::string wm_class = propriedade(c, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
    const std::size_t fim_instancia = wm_class.find('\0');
    if (fim_instancia != std::string::npos) {
        j.classe = wm_class.substr(fim_instancia + 1);
        if (!j.classe.empty() && j.classe.back() == '\0') j.classe.pop_back();
    }
    j.titulo = propriedade(c, w, a.net_wm_name, a.utf8);
    if (j.titulo.empty()) j.titulo = propriedade(c, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
    if (j.titulo.size() > kComprimentoMaximo) j.titulo.resize(kComprimentoMaximo);
    if (j.classe.size() > kComprimentoMaximo) j.classe.resize(kComprimentoMaximo);
    if (profundidade >= kProfundidadeMaxima) return j;
    Resposta<xcb_query_tree_reply_t> arvore(xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr),
                                            &std::free);
    if (!arvore) return j;
    const xcb_window_t* filhas = xcb_query_tree_children(arvore.get());
    const int n = xcb_query_tree_children_length(arvore.get());
    for (int i = 0; i < n; ++i) j.filhas.push_back(le_janela(c, a, filhas[i], profundidade + 1));
    return j;
}

}  // namespace

std::optional<std::vector<JanelaSistema>> janelas_do_ecra() {
    const char* ecra = std::getenv("DISPLAY");
    if (ecra == nullptr || *ecra == '\0') return std::nullopt;
    int numero = 0;
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> c(xcb_connect(ecra, &numero),
                                                                   &xcb_disconnect);
    if (!c || xcb_connection_has_error(c.get()) != 0) return std::nullopt;
    const Atomos a{atomo(c.get(), "UTF8_STRING"), atomo(c.get(), "_NET_WM_NAME")};
    std::vector<JanelaSistema> topo;
    for (xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c.get())); it.rem > 0;
         xcb_screen_next(&it)) {
        topo.push_back(le_janela(c.get(), a, it.data->root, 0));
    }
    return topo;
}

}  // namespace pezolva
