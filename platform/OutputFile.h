#ifndef TESSELY_PLATFORM_OUTPUTFILE_H
#define TESSELY_PLATFORM_OUTPUTFILE_H

#include "FileSystem.h"

#include <memory>
#include <string>
#include <string_view>

namespace tessely
{

/// A new file written under its final name. Until it is completed it counts as unfinished: destroyed before
/// that, because the job failed or was stopped, it removes the file again, so a job never leaves a
/// half-written file behind; the files it completed stay.
class OutputFile
{
public:
    /// Takes over `sink`, the new file `name` in `folder`.
    OutputFile(HeldFolder& folder, std::string name, std::unique_ptr<ByteSink> sink);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void write(std::string_view bytes)
    {
        m_sink->write(bytes.data(), bytes.size());
    }
    /// Closes the file; when that fails the file is removed and the error passed on.
    void complete();

private:
    HeldFolder& m_folder;
    std::string m_name;
    std::unique_ptr<ByteSink> m_sink;
};

} // namespace tessely

#endif
