// Command lines as another program may hand them over.
#include "FuzzSupport.h"

#include "app/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString text = QString::fromUtf8(FuzzSupport::bytes(data, size));
    SplitCommandLine(text);
    const QString arguments = stripProgramPath(text);
    SplitCommandLine(arguments);
    if (arguments.size() > text.size())
        __builtin_trap(); // the arguments are a part of the command line
    return 0;
}
