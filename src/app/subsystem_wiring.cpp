#include "program.h"

namespace velmora {

void wireSubsystems(Program& program)
{
    // Each subsystem that joins the main window places its widgets here
    // (Form_main::placeWidget) and sets the hooks it serves.
    (void)program;
}

} // namespace velmora
