#include "cli/Commands.h"

#include <cstdio>

#if VELA_HAVE_QT
#include "cli/Render.h"
#endif

int RunRenderCommandOrExplain(const std::vector<std::string>& args, const char* usage)
{
#if VELA_HAVE_QT
    (void)usage;
    return RunRenderCommand(args);
#else
    (void)args;
    std::fprintf(stderr, "vela-cli render: this build has no picture export (it was built without Qt)\n%s", usage);
    return 1;
#endif
}
