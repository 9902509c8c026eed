// Writes pixels read back from a surface as a PNG file (GDI+ encoder), for screenshots.
#pragma once

#include "support/WinTest.h"

#include <string>

namespace velm::test {

bool SavePng(const Pixels& pixels, const std::string& path);

} // namespace velm::test
