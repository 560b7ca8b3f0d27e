#include "app/Start.h"

#include <csignal>

namespace Start {

void prozessEinrichten()
{
    struct sigaction ignorieren {};
    ignorieren.sa_handler = SIG_IGN;
    sigemptyset(&ignorieren.sa_mask);
    sigaction(SIGXFSZ, &ignorieren, nullptr);
}

} // namespace Start
