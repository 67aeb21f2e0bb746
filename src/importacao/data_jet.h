#pragma once

#include <string>

namespace pezolva::importacao {

// The engine's ISO text for a date as the original keeps it: days since
// 1899-12-30, the fraction the time of day (for days before, the whole part
// counts back and the fraction still runs forward).  Exact to the second,
// for any year the format holds (before 1900 and after 9998 included):
// "2005-05-19", "14:07:00" for a time alone (day 0), else both, as
// DateTime::to_iso writes them.
std::string data_jet_iso(double dias);

}  // namespace pezolva::importacao
