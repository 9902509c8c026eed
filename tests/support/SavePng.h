// PNG files of pixels read back from a surface (screenshots), and back to pixels.
#pragma once

#include "support/WinTest.h"

#include <string>

namespace velm::test {

bool SavePng(const Pixels& pixels, const std::string& path);
// Decodes a PNG file (GDI+ decoder, drawn 1:1 onto a 32-bit surface); empty on failure.
Pixels LoadPng(const std::wstring& path);

} // namespace velm::test
