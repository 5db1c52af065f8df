// A report of finished steps of a long piece of work: the start-up's loading
// bar listens to the asset builders through one, and so they need not know
// it exists.
#pragma once

struct ProgressReport {
    void (*step)(void* user) = nullptr;  // called once per finished step; may be null
    void* user = nullptr;
};

inline void reportStep(const ProgressReport& report)
{
    if (report.step)
        report.step(report.user);
}
