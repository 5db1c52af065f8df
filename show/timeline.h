// The per-frame timeline: show time, spectrum step, then the scenes in order.
#pragma once

void show_frame();
