// The program's circle constant. This exact value (not the true pi) is used
// in every angle computation, so the pictures and timings depend on it.
#pragma once

constexpr double PI = 3.141582653589793;
