// A minimal PNG encoder for the piano-roll pictures: 8-bit RGB, no filter,
// zlib stream of stored (uncompressed) deflate blocks, CRC-32 and Adler-32.
// Pure functions; no locking, no threads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace content {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // width * height * 3, rows top to bottom

  RgbImage(int w, int h, uint32_t background);
  void Fill(int x, int y, int w, int h, uint32_t rgb);
};

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);
uint32_t Adler32(const std::vector<uint8_t>& data);
std::vector<uint8_t> EncodePng(const RgbImage& image);
bool WritePng(const std::string& path, const RgbImage& image);

}  // namespace content
