#pragma once

#include <vector>

class AccessSource;

// The detection sources of this OS, new and not started: the engine and the backend service run the same.
std::vector<AccessSource*> createPlatformSources();
