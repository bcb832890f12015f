#pragma once

#include <QtGlobal>

// A port on 127.0.0.1 that nothing listens on (it was free a moment ago), for connection-refused cases.
quint16 closedLoopbackPort();
