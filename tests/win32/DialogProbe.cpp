// Shows the system's open dialog as Tools > ReCombine does, opening in the folder given as the only argument,
// and prints the selection it gives: the folder on the first line, then each name on a line of its own.
// typed-selection.sh types into the dialog as a user would and reads what this prints.
#include "platform/WideText.h"
#include "win32/SourceDialog.h"

#include <cstdio>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tessely_dialog_probe FOLDER\n");
        return 2;
    }
    tessely::Win32SourceDialog dialog;
    dialog.folder = argv[1];
    const tessely::Selection selection
        = dialog.showOpen(nullptr, tessely::dialogSetupFor(tessely::OperationKind::Recombine));
    std::printf("%s\n", selection.folder.c_str());
    for (const std::string& name : selection.names)
        std::printf("%s\n", name.c_str());
    return selection.empty() ? 1 : 0;
}
