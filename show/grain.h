// The film grain: drawn last every frame over the finished picture.
#pragma once
#include "show/show.h"

// Multiplies the picture area by the grey noise texture at a new random
// offset (two steps of random); it does not depend on the show time, so the
// grain moves also while the show is frozen. Darkens by at most about 10 %,
// never lightens.
void grain_overlay(Show& show, RandomState& random);
