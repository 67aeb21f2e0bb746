#include "comandos.h"

namespace pezolva::cli {

namespace {

struct Ajuda {
    const char* subcomando;
    const char* texto;
};

// Each subcommand's help, in the order of the general usage.
constexpr Ajuda kAjudas[] = {
    {"projects",
     "Uso: pezolva projects [--json]\n"
     "Lista os projectos registados neste posto: nome, descrição, pasta e base de\n"
     "dados principal, um por linha separados por tabulações, ou um vector JSON.\n"},
    {"start",
     "Uso: pezolva start PASTA NOME BD_PRINCIPAL [--descr TEXTO] [--password-file F]\n"
     "                     [--answer fazer|nao-fazer|configurar]\n"
     "Faz o que a aplicação de gestão faz ao arrancar: torna o projecto actual,\n"
     "regista-o neste posto e valida o registo de cópias de segurança; depois, se\n"
     "houver cópias em atraso, pergunta se as faz.  A resposta vem de --answer ou\n"
     "do terminal; sem nenhum dos dois a pergunta só é mostrada.  \"fazer\" faz as\n"
     "cópias aqui, no terminal.\n"
     "Sem --descr, o projecto guarda a descrição que já tinha.\n"
     "A palavra-passe vem de PEZOLVA_PASSWORD, de --password-file ou do terminal.\n"
     "Saída: 0 sucesso, 1 a operação falhou, 2 uso errado.\n"},
    {"demo",
     "Uso: pezolva demo [PASTA]\n"
     "Cria (ou reutiliza) um projecto de demonstração em PASTA (por omissão\n"
     "~/.local/share/pezolva/demo) e corre nele o trabalho principal, mostrando\n"
     "o que faz; depois verifica a integridade do projecto e de uma cópia dele\n"
     "(PASTA-estrutura-diferente) cuja estrutura foi alterada.\n"},
    {"backup",
     "Uso: pezolva backup --project NOME [--due | --all | BASE_DE_DADOS...]\n"
     "Faz cópias de segurança das bases de dados do registo do projecto: as que\n"
     "estão em atraso (por omissão), todas, ou as indicadas pelo nome.  Mostra o\n"
     "progresso e, no fim, o registo e os erros.\n"
     "A palavra-passe vem de PEZOLVA_PASSWORD, de --password-file ou do terminal.\n"
     "Um sinal (SIGINT, SIGTERM, SIGHUP) pára a cópia no passo seguinte e apaga os\n"
     "seus ficheiros temporários.\n"
     "Saída: 0 sem erros, 1 com erros, 2 uso errado, 128+n sinal n.\n"},
    {"copies",
     "Uso: pezolva copies --project NOME [--json]\n"
     "Lista as cópias de segurança das bases de dados do projecto que a janela\n"
     "\"Repor Cópias de Segurança\" encontraria, pela mesma ordem (as mais recentes\n"
     "primeiro), e depois as do repositório fora do local, quando o projecto o tem.\n"
     "--json dá um vector JSON com o tamanho em bytes, a data em ISO 8601 e onde está\n"
     "cada cópia (\"onde\": \"local\" ou \"fora\").\n"
     "Funciona com a base de dados principal danificada ou em falta: procura então as\n"
     "cópias dela na pasta copiaseg do projecto.\n"
     "A palavra-passe vem de PEZOLVA_PASSWORD, de --password-file ou do terminal.\n"
     "Saída: 0 sucesso, 1 a operação falhou, 2 uso errado.\n"},
    {"restore",
     "Uso: pezolva restore --project NOME COPIA [--yes]\n"
     "Substitui uma base de dados do projecto pela cópia de segurança COPIA: um nome\n"
     "da lista de pezolva copies, ou o caminho de uma cópia; uma que só exista no\n"
     "repositório fora do local é trazida de lá.  Pergunta antes, no\n"
     "terminal, ou aceita --yes; sem terminal e sem --yes, só mostra a pergunta e\n"
     "nada muda.  A base de dados nunca fica em falta nem meio escrita, e uma que\n"
     "outro programa tenha aberta não é substituída.\n"
     "A palavra-passe vem de PEZOLVA_PASSWORD, de --password-file ou do terminal.\n"
     "Saída: 0 reposta, 1 não reposta, 2 uso errado.\n"},
    {"verify",
     "Uso: pezolva verify --project NOME [--json]\n"
     "Verifica cada base de dados do registo do projecto contra a sua base de dados\n"
     "de estrutura (versão, tabelas, campos com tamanho e tipo, índices e relações),\n"
     "sem nada escrever.  Mostra o registo e as diferenças; com --json, um objecto\n"
     "JSON com cada diferença e os erros da verificação.\n"
     "A palavra-passe vem de PEZOLVA_PASSWORD, de --password-file ou do terminal.\n"
     "Saída: 0 sem diferenças, 1 com diferenças ou se a verificação não terminou,\n"
     "2 uso errado.\n"},
    {"import",
     "Uso: pezolva import PASTA_ORIGEM PASTA_DESTINO --project NOME [--main FICHEIRO] [--json]\n"
     "Traz um projecto da plataforma original: lê os ficheiros Jet de PASTA_ORIGEM (a\n"
     "base de dados principal, a única .mdb com a tabela BUPS ou a indicada por --main;\n"
     "as bases de dados do seu registo e as suas estruturas) e escreve-os em\n"
     "PASTA_DESTINO, que não pode existir: tudo ou nada.  Regista o projecto NOME neste\n"
     "posto.  Mostra o que foi transportado e o que não foi; com --json, um objecto JSON.\n"
     "A palavra-passe da base principal vem de PEZOLVA_PASSWORD, de --password-file ou\n"
     "do terminal; as outras vêm do registo.\n"
     "Saída: 0 importado, 1 nada importado, 2 uso errado.\n"},
    {"compact",
     "Uso: pezolva compact --project NOME [BASE_DE_DADOS]\n"
     "Compacta a base de dados principal do projecto e depois as outras do registo\n"
     "(ou só a indicada, com a palavra-passe da sua linha do registo).  A base antiga\n"
     "fica com o nome datado BASEaaaammddhhmm.mdb; uma base aberta noutro programa não\n"
     "é compactada.  Mostra uma linha por base de dados.\n"
     "A palavra-passe vem de PEZOLVA_PASSWORD, de --password-file ou do terminal.\n"
     "Um sinal (SIGINT, SIGTERM, SIGHUP) pára a compactação em curso sem deixar nada.\n"
     "Saída: 0 todas compactadas, 1 alguma falhou, 2 uso errado, 128+n sinal n.\n"},
    {"offsite",
     "Uso: pezolva offsite --project NOME init REPOSITORIO --repo-password-file F\n"
     "                                   [--sftp-command COMANDO]\n"
     "     pezolva offsite --project NOME set REPOSITORIO --repo-password-file F\n"
     "     pezolva offsite --project NOME show | off | prune\n"
     "     pezolva offsite --project NOME check [--read-data | --read-data-subset N%]\n"
     "     pezolva offsite recover REPOSITORIO --project NOME PASTA --repo-password-file F\n"
     "Um segundo destino, fora da máquina, para as cópias do projecto: um repositório\n"
     "restic (uma pasta, sftp:, rest:, s3:...), cifrado e sem duplicados.  init cria-o\n"
     "(só init cria: set num caminho que não existe é um erro); set escolhe um que já\n"
     "existe; off deixa de o usar.  A configuração fica na pasta do projecto\n"
     "(pezolva_offsite.ini), para todos os utilizadores.  Depois, cada pezolva backup\n"
     "envia também as cópias que lá faltam e guarda lá só as do número a manter.\n"
     "A palavra-passe do repositório vem só do ficheiro F (nunca da linha de comandos).\n"
     "prune liberta o espaço das cópias esquecidas; check verifica o repositório\n"
     "(--read-data lê também 10% dos dados).  recover traz um projecto inteiro só do\n"
     "repositório para a PASTA vazia (a cópia mais recente de cada base de dados, as\n"
     "bases de estrutura e o registo) e regista-o neste posto; a palavra-passe da base\n"
     "de dados principal vem de PEZOLVA_PASSWORD, de --password-file ou do terminal.\n"
     "Saída: 0 sucesso, 1 a operação falhou, 2 uso errado.\n"},
    {"reinstall",
     "Uso: pezolva reinstall --project NOME\n"
     "Executa o programa de instalação do posto (setupposto/setup na pasta do\n"
     "projecto) e espera que termine.\n"
     "A palavra-passe vem de PEZOLVA_PASSWORD, de --password-file ou do terminal.\n"
     "Saída: 0 o programa foi executado, 1 falhou, 2 uso errado.\n"},
};

}  // namespace

const char* ajuda(const std::string& subcomando) {
    for (const Ajuda& a : kAjudas) {
        if (subcomando == a.subcomando) return a.texto;
    }
    return "Uso: pezolva                 abre o programa de manutenção (janelas)\n"
           "     pezolva projects [--json]\n"
           "     pezolva start PASTA NOME BD_PRINCIPAL [--descr TEXTO]\n"
           "                   [--answer fazer|nao-fazer|configurar]\n"
           "     pezolva backup --project NOME [--due | --all | BASE_DE_DADOS...]\n"
           "     pezolva copies --project NOME [--json]\n"
           "     pezolva restore --project NOME COPIA [--yes]\n"
           "     pezolva verify --project NOME [--json]\n"
           "     pezolva compact --project NOME [BASE_DE_DADOS]\n"
           "     pezolva offsite --project NOME init|set|show|off|prune|check ...\n"
           "     pezolva offsite recover REPOSITORIO --project NOME PASTA --repo-password-file F\n"
           "     pezolva reinstall --project NOME\n"
           "     pezolva import PASTA_ORIGEM PASTA_DESTINO --project NOME [--main FICHEIRO]\n"
           "     pezolva demo [PASTA]\n"
           "     pezolva SUBCOMANDO --help\n"
           "     pezolva --version\n"
           "A palavra-passe de um projecto vem da variável PEZOLVA_PASSWORD, do ficheiro\n"
           "indicado por --password-file, ou é pedida no terminal; nunca na linha de comandos.\n";
}

}  // namespace pezolva::cli
