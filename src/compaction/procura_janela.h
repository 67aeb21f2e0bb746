#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pezolva {

// A window of the display as the search sees it, with its children in the
// system's order.
struct JanelaSistema {
    std::uint64_t id = 0;
    std::string titulo;
    std::string classe;
    std::vector<JanelaSistema> filhas;
};

// The first window among `janelas` and all their descendants whose title
// matches `padrao_titulo` and whose class matches `padrao_classe` (like
// patterns, letter case included), searched depth first with a window's
// children before the window itself; nullopt when none does.  The whole
// tree is searched: window managers put a program's window inside frames
// of their own, so it is rarely a direct child of the root.
std::optional<std::uint64_t> procura_janela(const std::vector<JanelaSistema>& janelas,
                                            const std::string& padrao_titulo,
                                            const std::string& padrao_classe);

// The top-level windows of the X11 display named by $DISPLAY, with their
// descendants; nullopt when no display can be reached (titles and classes
// are read as the window manager's conventions store them).
std::optional<std::vector<JanelaSistema>> janelas_do_ecra();

}  // namespace pezolva
