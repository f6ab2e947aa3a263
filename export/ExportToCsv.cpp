#include "ExportToCsv.h"

namespace tessely
{

JobResult ExportToCsv(FileSystem& /*fs*/, const std::string& /*source*/)
{
    return {};
}

} // namespace tessely
