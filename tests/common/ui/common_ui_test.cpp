#include <gtest/gtest.h>

#include <QRect>
#include <QSize>

#include "common/console_dialogs.h"
#include "common/escolhe_pasta.h"
#include "common/scripted_dialogs.h"
#include "common/ui/centra_form.h"

namespace pezolva {
namespace {

TEST(CentraForm, CentresOrShrinksToTheScreen) {
    EXPECT_EQ(posicao_centrada(QRect(50, 50, 200, 100), QSize(1000, 800)),
              QRect(400, 350, 200, 100));
    // Larger than the screen: top-left corner, cut to the screen's size.
    EXPECT_EQ(posicao_centrada(QRect(50, 50, 1200, 900), QSize(1000, 800)), QRect(0, 0, 1000, 800));
    // As wide as the screen: left edge 0, width kept.
    EXPECT_EQ(posicao_centrada(QRect(9, 9, 1000, 100), QSize(1000, 800)), QRect(0, 350, 1000, 100));
}

TEST(EscolhePasta, PromptDefaultAndCancelReturnsTheStartUnchanged) {
    ScriptedDialogs dialogs;
    dialogs.queue_folder(std::nullopt);
    EXPECT_EQ(escolhe_pasta(dialogs, "  /dados/copias ", ""), "  /dados/copias ");
    ASSERT_EQ(dialogs.folder_requests().size(), 1u);
    EXPECT_EQ(dialogs.folder_requests()[0].prompt, "Seleccione a pasta");
    EXPECT_EQ(dialogs.folder_requests()[0].start, "/dados/copias");

    dialogs.queue_folder("/outra");
    EXPECT_EQ(escolhe_pasta(dialogs, "/dados", "Pasta destino"), "/outra");
    EXPECT_EQ(dialogs.folder_requests()[1].prompt, "Pasta destino");
}

TEST(ConsoleDialogs, PrintsTitleAndTextAndTakesTheDefaultOrTheGivenAnswer) {
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    {
        ConsoleDialogs console(out);
        informa(console, "Linha 1\r\nLinha 2\rLinha 3", "Atenção", Icon::Information);
        EXPECT_FALSE(pergunta_sim_nao(console, "Continuar ?", "zolva", false));
        ConsoleDialogs answering(out, [](const Message&) { return Answer::Yes; });
        EXPECT_TRUE(pergunta_sim_nao(answering, "Criar?", "Atenção", false));
    }
    std::fclose(out);
    EXPECT_EQ(std::string(buffer, size),
              "Atenção: Linha 1\nLinha 2\nLinha 3\n"
              "zolva: Continuar ?\n  -> Não\n"
              "Atenção: Criar?\n  -> Sim\n");
    std::free(buffer);
}

}  // namespace
}  // namespace pezolva
