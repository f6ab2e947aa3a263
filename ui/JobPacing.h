#ifndef TESSELY_UI_JOBPACING_H
#define TESSELY_UI_JOBPACING_H

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace tessely
{

/// Paces a window that hosts a job. A job reports every step and yields after many of them; the window
/// repaints and handles input at most once per interval, and sets the status caption only then, since
/// doing either on every step would cost more than the step.
class JobPacing
{
public:
    /// How often a running job lets the window catch up: often enough to look live, rarely enough to cost
    /// nothing next to the job.
    static constexpr std::chrono::milliseconds usualInterval { 15 };

    explicit JobPacing(std::chrono::milliseconds interval = usualInterval)
        : m_interval(interval)
    {
    }

    /// Starts a job: the first yield lets the window catch up.
    void start();
    /// True when the window is due to catch up now; the next time is one interval later.
    bool due();
    /// Takes the progress number for the status caption.
    void setStatus(std::uint64_t number);
    /// The status caption when its number changed since it was last taken ("Processing 12"), else nothing.
    std::optional<std::string> takeCaption();

private:
    std::chrono::milliseconds m_interval;
    std::optional<std::chrono::steady_clock::time_point> m_last;
    std::uint64_t m_number = 0;
    bool m_captionTaken = true;
};

} // namespace tessely

#endif
