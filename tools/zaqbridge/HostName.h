// The machine's host name: the site name when none is configured.
#pragma once

#include <string>

std::string HostName();
