// Progress bar drawing: in place on a terminal, a plain line every few
// seconds when standard error goes to a file or pipe; the rate of the
// recent frames.
#include "programs/vorn-capture/progress.h"

#include <unistd.h>

#include <cstdio>

#include "base/clock.h"
#include "base/fatal.h"

static const int barWidth = 30;

void recentFramesAdd(RecentFrames* recent, long done, double ms)
{
    if (recent->count > 0) {
        int last = (recent->next + RecentFrames::slots - 1) % RecentFrames::slots;
        if (ms - recent->ms[last] < RecentFrames::spacingMs)
            return;
    }
    recent->done[recent->next] = done;
    recent->ms[recent->next] = ms;
    recent->next = (recent->next + 1) % RecentFrames::slots;
    if (recent->count < RecentFrames::slots)
        recent->count++;
}

double recentFramesRate(const RecentFrames& recent, long done, double ms)
{
    if (recent.count == 0)
        return 0.0;
    int oldest = recent.count < RecentFrames::slots ? 0 : recent.next;
    double seconds = (ms - recent.ms[oldest]) / 1000.0;
    return seconds > 0 ? (double)(done - recent.done[oldest]) / seconds : 0.0;
}

static void draw(Progress* progress, long done, bool last)
{
    double now = clockMs();
    double rate = last ? (now > progress->startMs ? done / ((now - progress->startMs) / 1000.0) : 0.0)
                       : recentFramesRate(progress->recent, done, now);
    long left = rate > 0 ? (long)((double)(progress->total - done) / rate + 0.5) : 0;
    int filled = progress->total > 0 ? (int)((double)done * barWidth / (double)progress->total) : barWidth;
    char bar[barWidth + 1];
    for (int i = 0; i < barWidth; i++)
        bar[i] = i < filled ? '#' : '-';
    bar[barWidth] = '\0';
    std::fprintf(stderr, "%s[%s] %ld/%ld frames  %.1f fps  %ld:%02ld left%s", progress->terminal ? "\r" : "", bar,
                 done, progress->total, rate, left / 60, left % 60,
                 !progress->terminal ? "\n" : last ? "\033[K\n" : "\033[K");
    std::fflush(stderr);
}

void progressStart(Progress* progress, long total, bool enabled)
{
    progress->total = total;
    progress->startMs = clockMs();
    progress->lastDrawMs = progress->startMs;
    progress->enabled = enabled;
    progress->terminal = isatty(STDERR_FILENO) != 0;
    progress->recent = RecentFrames{};
    recentFramesAdd(&progress->recent, 0, progress->startMs);
    if (enabled && progress->terminal)
        draw(progress, 0, false);
}

void progressUpdate(Progress* progress, long done)
{
    if (!progress->enabled)
        return;
    double now = clockMs();
    recentFramesAdd(&progress->recent, done, now);
    if (now - progress->lastDrawMs < (progress->terminal ? 250.0 : 5000.0))
        return;
    progress->lastDrawMs = now;
    draw(progress, done, false);
}

void progressEnd(Progress* progress, long done)
{
    if (progress->enabled)
        draw(progress, done, true);
}
