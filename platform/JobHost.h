#ifndef TESSELY_PLATFORM_JOBHOST_H
#define TESSELY_PLATFORM_JOBHOST_H

#include <cstdint>
#include <string>

namespace tessely
{

/// A calendar day in local time.
struct Date {
    int year = 1970;
    int month = 1;
    int day = 1;
};

/// What a job gives back: the number of items handled (0 means the job failed) and where the output went
/// (the output folder for split and export, the written file for recombine).
struct JobResult {
    std::uint64_t count = 0;
    std::string location;
    /// Non-blank lines that stood outside any contact and were not copied (split and export).
    std::uint64_t skippedLines = 0;
    /// True when the user asked the job to stop before its end.
    bool stopped = false;
    /// Cells too long for the table's format, written shortened (a workbook's cell holds 32,767 characters).
    std::uint64_t shortenedCells = 0;
};

/// How a job talks back to the front end that runs it, without knowing any window: it reports progress,
/// yields, and sees a request to stop. Everything else a job needs comes with the request that started it.
class JobHost
{
public:
    virtual ~JobHost() = default;
    /// Shows or hides the progress status.
    virtual void showStatus(bool visible) = 0;
    /// Sets the progress number; the caption reads `statusCaption(number)`.
    virtual void setStatus(std::uint64_t number) = 0;
    /// Lets the front end catch up (repaint, handle input). False when the user asked to stop.
    virtual bool yield() = 0;
    /// True once the user asked the job to stop: a cheap test, with no repainting, for the places where a job
    /// may stop but does not yield (inside a long copy, in the export).
    virtual bool stopRequested() = 0;
    /// Today's local date; a host replaces it only to fix the date, as tests do.
    virtual Date today();
};

/// The status caption for a progress number: "Processing 3".
std::string statusCaption(std::uint64_t number);
/// Today's date on this machine's clock, in local time.
Date localToday();

/// Shows the status for the lifetime of the guard and hides it again however the job ends.
class StatusGuard
{
public:
    explicit StatusGuard(JobHost& host)
        : m_host(host)
    {
        m_host.showStatus(true);
    }
    ~StatusGuard()
    {
        m_host.showStatus(false);
    }
    StatusGuard(const StatusGuard&) = delete;
    StatusGuard& operator=(const StatusGuard&) = delete;

private:
    JobHost& m_host;
};

} // namespace tessely

#endif
