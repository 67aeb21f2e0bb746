#pragma once

#include <vector>

#include "common/services.h"
#include "project/projecto.h"
#include "project/projectos.h"

namespace pezolva {

// State shared by every part of the component for as long as it is loaded,
// whatever mnt object is used: the current project, the last project list,
// the answer of the question window and the verdict of the last silent
// verification.
struct Estado {
    ProjectoActual projecto_actual;
    std::vector<EntradaProjecto> lista_projectos;
    int resposta = -1;
    bool ha_diferencas = false;
};

Estado& estado();

// Throws erro 3001 unless the host owns a QApplication: the component's
// windows need one, and Qt would end the whole host without it.
void exige_janelas();

// Throws erro 3001 while no project is current (actualiza_path has not
// made one yet), rather than working on an empty folder and name.
void exige_projecto();

// The services the component runs with: the machine's clock, files and
// settings, and Qt windows when the host has a QApplication (the terminal
// otherwise).
Services& servicos();

// Replaces the services until the object goes (tests, and the launcher's
// unattended mode); the state is reset on both sides.
class ServicosSubstituidos {
  public:
    explicit ServicosSubstituidos(Services& substitutos);
    ~ServicosSubstituidos();
    ServicosSubstituidos(const ServicosSubstituidos&) = delete;
    ServicosSubstituidos& operator=(const ServicosSubstituidos&) = delete;

  private:
    Services* anteriores_;
};

}  // namespace pezolva
