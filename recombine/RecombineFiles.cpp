#include "RecombineFiles.h"

namespace tessely
{

JobResult RecombineFiles(FileSystem& /*fs*/, JobHost& /*host*/, const std::string& /*selection*/)
{
    return {};
}

} // namespace tessely
