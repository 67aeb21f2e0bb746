#pragma once

#include "../backup/backup_fixture.h"
#include "offsite/configuracao.h"
#include "offsite/restic.h"
#include "restic_falso.h"

namespace pezolva::offsite {

// A test project ("Obras, Lda") whose copies also go to a new local
// repository in the test's folder, with restic watched by `processos`.
class RepositorioFixture : public testing::BackupFixture {
  protected:
    RepositorioFixture() {
        projecto.projecto = "Obras, Lda";
        testing::write_file(dir.file("repo.pw"), "segredo-do-repositorio\n");
        config.repositorio = dir.file("repo");
        config.ficheiro_password = dir.file("repo.pw");
        Restic(processos, config.repositorio, config.ficheiro_password).init();
        grava_configuracao(files, projecto.caminho, config);
    }

    ConfiguracaoOffsite config;
    testing::ResticFalso processos;
};

}  // namespace pezolva::offsite
