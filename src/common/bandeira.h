#pragma once

namespace pezolva {

// Raises a flag for the length of a scope and lowers it when the scope
// ends, however it ends (an error included): a window's "running" or
// "filling" flag can never stay raised and lock the window.
class Bandeira {
  public:
    explicit Bandeira(bool& bandeira) : bandeira_(bandeira) { bandeira_ = true; }
    ~Bandeira() { bandeira_ = false; }
    Bandeira(const Bandeira&) = delete;
    Bandeira& operator=(const Bandeira&) = delete;

  private:
    bool& bandeira_;
};

}  // namespace pezolva
