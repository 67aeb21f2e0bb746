#include "compaction/executa_e_espera.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QProcess>
#include <cerrno>
#include <string_view>

extern char** environ;

namespace pezolva {
namespace {

constexpr int kPassoMs = 100;

// A QProcess that can be let go: at the time-out without a kill, the
// program goes on running by itself, which ~QProcess would not allow.
class Processo : public QProcess {
  public:
    void larga() { setProcessState(QProcess::NotRunning); }
};

// The system's reason why `programa` cannot be run, guessed from the file
// when QProcess gives none of its own.
int erro_de_arranque(const std::string& programa) {
    if (::access(programa.c_str(), X_OK) != 0) return errno;
    return ENOEXEC;
}

QStringList lista(const std::vector<std::string>& textos) {
    QStringList l;
    for (const std::string& t : textos) l << QString::fromStdString(t);
    return l;
}

}  // namespace

std::vector<std::string> ambiente_dos_filhos() {
    static constexpr std::string_view kSegredo = "PEZOLVA_PASSWORD=";
    std::vector<std::string> ambiente;
    for (char** v = environ; v != nullptr && *v != nullptr; ++v) {
        if (!std::string_view(*v).starts_with(kSegredo)) ambiente.emplace_back(*v);
    }
    return ambiente;
}

namespace {

void prepara(QProcess& processo, const PedidoExecucao& pedido) {
    processo.setProgram(QString::fromStdString(pedido.programa));
    processo.setArguments(lista(pedido.argumentos));
    processo.setStandardOutputFile(QProcess::nullDevice());
    // Always an environment of our own: the inherited one, less what a
    // host may have left in it that no child is to see.
    processo.setEnvironment(lista(ambiente_dos_filhos()) << lista(pedido.ambiente));
    if (!pedido.herdados.empty()) {
        const std::vector<int> herdados = pedido.herdados;
        // Runs in the child between fork and exec: only async-signal-safe calls.
        processo.setChildProcessModifier([herdados] {
            for (int fd : herdados) ::fcntl(fd, F_SETFD, 0);
        });
    }
}

enum class Fim { Terminou, TempoEsgotado, Parada };

// Waits for the end, the time-out or a stop request, calling `entre_esperas`
// in between.
Fim espera_fim(Processo& processo, const PedidoExecucao& pedido) {
    QDeadlineTimer limite = pedido.tempo_limite_ms ? QDeadlineTimer(*pedido.tempo_limite_ms)
                                                   : QDeadlineTimer(QDeadlineTimer::Forever);
    while (processo.state() != QProcess::NotRunning) {
        const qint64 resta = limite.remainingTime();
        if (resta == 0) return Fim::TempoEsgotado;
        const int passo = resta < 0 || resta > kPassoMs ? kPassoMs : static_cast<int>(resta);
        if (processo.waitForFinished(passo)) break;
        if (pedido.parar && pedido.parar()) return Fim::Parada;
        if (pedido.entre_esperas) pedido.entre_esperas();
    }
    return Fim::Terminou;
}

}  // namespace

ResultadoExecucao executa_e_espera(const PedidoExecucao& pedido) {
    Processo processo;
    prepara(processo, pedido);
    processo.start(QIODevice::ReadWrite);
    if (!processo.waitForStarted(-1)) {
        ResultadoExecucao falhou;
        falhou.codigo = kFalhaArranque + erro_de_arranque(pedido.programa);
        return falhou;
    }
    if (!pedido.entrada.empty())
        processo.write(pedido.entrada.data(), static_cast<qint64>(pedido.entrada.size()));
    processo.closeWriteChannel();

    ResultadoExecucao r;
    const Fim fim = espera_fim(processo, pedido);
    if (fim == Fim::Parada) {
        processo.kill();
        processo.waitForFinished(-1);
        r.parada = true;
        return r;
    }
    if (fim == Fim::TempoEsgotado) {
        r.codigo = kTempoEsgotado;
        if (pedido.mata_no_limite) {
            processo.kill();
            processo.waitForFinished(-1);
        } else {
            processo.larga();
        }
        return r;
    }
    r.codigo = kTerminou;
    r.saida = processo.exitStatus() == QProcess::CrashExit ? -1 : processo.exitCode();
    r.erros = processo.readAllStandardError().trimmed().toStdString();
    return r;
}

}  // namespace pezolva
