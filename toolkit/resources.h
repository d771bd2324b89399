// The plug-in's embedded images, found by numeric id: on Windows bitmap resources of the DLL
// (the .rc script), elsewhere byte arrays compiled into the library. Both hold the PNG files
// of resources/png as they are.
#pragma once

#include <cstddef>
#include <cstdint>

struct ResourceBytes {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
};

// The PNG bytes of image id; empty (data null) when there is no such image. The bytes stay
// valid as long as the library is loaded.
ResourceBytes findImageResource(int id);
