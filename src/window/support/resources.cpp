// The artwork and the manual are compiled into the window library; a static library
// has to register its resources itself.
#include <QtGlobal>

static void initTibboResources()
{
    Q_INIT_RESOURCE(art);
    Q_INIT_RESOURCE(manual);
}

namespace tibbo::window {

void initResources()
{
    initTibboResources();
}

} // namespace tibbo::window
