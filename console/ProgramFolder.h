#pragma once

#include <string>

// The folder of the running executable, ending in the path separator.
std::string ExecutableFolder();
