// The window search on a real X11 display: run under Xvfb
// (xvfb-run -a build/tests/compaction/compaction_tests --gtest_filter='JanelasX11*').
// Without a display it is skipped, unless PEZOLVA_TEST_DISPLAY=required
// (scripts/test), where a missing display is a failure.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

#include "compaction/procura_janela.h"
#include "compaction/reinstala_posto.h"

namespace pezolva {
namespace {

// Sends what is queued and waits until the server has done it, so that
// another connection (the search's) sees it.
void sincroniza(xcb_connection_t* c) {
    xcb_get_input_focus_reply_t* resposta =
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
    std::free(resposta);
}

// The search walks the whole tree, mapped or not, as the set-up's window
// counts as running until it is gone.
TEST(JanelasX11, AWindowOfTheSetupsClassIsFoundWhileItExistsMappedOrNotAndNotOnceDestroyed) {
    const char* ecra = std::getenv("DISPLAY");
    if (ecra == nullptr || *ecra == '\0') {
        const char* exigido = std::getenv("PEZOLVA_TEST_DISPLAY");
        if (exigido != nullptr && std::strcmp(exigido, "required") == 0) FAIL() << "sem DISPLAY";
        GTEST_SKIP() << "sem DISPLAY";
    }
    xcb_connection_t* c = xcb_connect(ecra, nullptr);
    ASSERT_EQ(xcb_connection_has_error(c), 0);
    xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t moldura = xcb_generate_id(c), janela = xcb_generate_id(c);
    // A frame, as a window manager makes, holding the set-up's window.
    xcb_create_window(c, XCB_COPY_FROM_PARENT, moldura, s->root, 0, 0, 200, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, s->root_visual, 0, nullptr);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, janela, moldura, 0, 0, 200, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, s->root_visual, 0, nullptr);
    const char classe[] = "setup\0InstallShield_Win";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, janela, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        sizeof classe, classe);
    const char titulo[] = "Instalação do posto";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, janela, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        std::strlen(titulo), titulo);
    xcb_map_window(c, janela);
    xcb_map_window(c, moldura);
    sincroniza(c);

    auto janelas = janelas_do_ecra();
    ASSERT_TRUE(janelas.has_value());
    EXPECT_EQ(procura_janela(*janelas, kTituloJanelaSetup, kClasseJanelaSetup), janela);
    EXPECT_EQ(procura_janela(*janelas, "Instala*posto", "InstallShield_Win"), janela);

    xcb_unmap_window(c, moldura);
    sincroniza(c);
    janelas = janelas_do_ecra();
    ASSERT_TRUE(janelas.has_value());
    EXPECT_EQ(procura_janela(*janelas, kTituloJanelaSetup, kClasseJanelaSetup), janela)
        << "unmapped";

    xcb_destroy_window(c, moldura);
    sincroniza(c);
    janelas = janelas_do_ecra();
    ASSERT_TRUE(janelas.has_value());
    EXPECT_EQ(procura_janela(*janelas, kTituloJanelaSetup, kClasseJanelaSetup), std::nullopt);
    // Last: a display whose last client goes may reset itself.
    xcb_disconnect(c);
}

}  // namespace
}  // namespace pezolva
