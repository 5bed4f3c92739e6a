#pragma once

namespace quimbo::testing {

// Two fans, one between its limits and one above them, and temperatures in
// every colour: 72.5 (orange), 91 (red), 41.5 and 30 (green).
inline constexpr const char* kTwoFansMachine = R"(FNum "ui8 " 02
F0Ac "flt " = 1999.7
F0Mn "flt " = 1000
F0Mx "flt " = 5000
F1Ac "flt " = 6000
F1Mn "flt " = 1000
F1Mx "flt " = 5000
Tp01 "flt " = 72.5
Tg0f "flt " = 91
Ts0S "flt " = 41.5
TaLP "flt " = 30
)";

}  // namespace quimbo::testing
